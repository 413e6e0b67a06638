// The console program's run: the dialog's stages around the engine.
#include "run_console.h"

#include "opening.h"
#include "parameters.h"
#include "read_inputs.h"
#include "save.h"

#include <utility>

int run_console(Console& con, Temporaries* temporaries) {
    RunFiles files = opening(con, temporaries);
    RunScenario s;
    s.inputs = lecture(files, con);
    s.parameters = parameters(files, s.inputs, con);
    s.nomim1 = files.nomim1;
    s.nomim2 = files.nomim2;
    s.nomim3 = files.nomim3;
    const Results results = run_scenario(std::move(s), ProgressFn(), con);
    save(files, results, con);
    return 0;
}
