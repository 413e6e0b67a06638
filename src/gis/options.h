// The options of tarvex-gis's commands, declared once: each option's name, type, allowed
// values, default, whether it is required, and its help line. The command line and a batch
// manifest's cells are checked against the same declarations, and the usage texts are made
// from them.
#ifndef TARVEX_GIS_OPTIONS_H
#define TARVEX_GIS_OPTIONS_H

#include <cstddef>
#include <limits>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

enum class OptionType {
    flag,     // given or not, no value
    whole,    // a whole number
    real,     // a decimal number
    text,     // any text
    path,     // a file or folder
    choice,   // one of the allowed values
    numbers,  // decimal numbers separated by commas ("X,Y"), as many as allowed
    range,    // FROM:TO:STEP, FROM <= TO and STEP above 0
};

// One option. Made by the functions below and finished by the setters, which return it.
struct Option {
    std::string name;    // with its dashes: "--width"
    OptionType type = OptionType::text;
    std::string value;   // the value's name in the usage: "METRES", "X,Y"
    std::string help;
    std::vector<std::string> allowed;  // a choice's values
    std::string fallback;              // the default, as given on the command line ("": none)
    bool required = false;
    bool column = false;               // also a column of a batch manifest
    // Numbers: their bounds (the least excluded when `above`), and what a refusal says they need.
    double least = -std::numeric_limits<double>::max(), most = std::numeric_limits<double>::max();
    bool above = false;
    std::string needs;
    std::vector<std::size_t> counts;  // numbers: how many may be given
    std::string noun;                 // a choice refused as "unknown NOUN 'x': use ..."

    Option& by_default(const std::string& v) { return fallback = v, *this; }
    Option& needed() { return required = true, *this; }
    Option& in_manifest() { return column = true, *this; }
    Option& within(double lo, double hi, const std::string& what) { return least = lo, most = hi, needs = what, *this; }
    Option& above_zero(const std::string& what) { return least = 0, above = true, needs = what, *this; }
    Option& refused_as_unknown(const std::string& what) { return noun = what, *this; }
    // The option's manifest column: its name without dashes, '-' as '_'.
    std::string column_name() const;
};

Option flag_option(const std::string& name, const std::string& help);
Option whole_option(const std::string& name, const std::string& value, const std::string& help);
Option real_option(const std::string& name, const std::string& value, const std::string& help);
Option text_option(const std::string& name, const std::string& value, const std::string& help);
Option path_option(const std::string& name, const std::string& value, const std::string& help);
Option choice_option(const std::string& name, const std::vector<std::string>& allowed, const std::string& help);
Option numbers_option(const std::string& name, const std::string& value, std::vector<std::size_t> counts,
                      const std::string& help);
Option range_option(const std::string& name, const std::string& value, const std::string& help);

// A command: its positionals, what it does, and its options.
struct CommandDecl {
    std::string name;
    std::string positionals;  // in the usage: "SRC NAME", "FOLDER..."
    std::size_t least = 0, most = 0;  // positionals
    std::string about;
    std::vector<Option> options;

    const Option* find(const std::string& option) const;
    std::string synopsis() const;  // the command, its positionals and options, wrapped
    std::string summary() const;   // the synopsis and what the command does
    std::string help() const;      // the summary and a line for each option
};

// A command line that does not match its command's declaration: tarvex-gis shows the usage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words after the command: positionals, and the options given as "--name VALUE",
// "--name=VALUE" or "--flag". Throws UsageError on an unknown option, a missing value, a flag
// given a value, the wrong number of positionals and a required option missing. Values are
// not checked here.
struct CommandLine {
    std::vector<std::string> positionals;
    std::map<std::string, std::string> given;  // by name; "" for a flag
};
CommandLine split_command_line(const CommandDecl& c, const std::vector<std::string>& words);

// Fails (a Stop) naming the option when `text` is not a value of its type.
void check_value(const Option& o, const std::string& text);

// The options of a command, checked: each given value of its type, the defaults of the others.
class OptionValues {
public:
    // Checks every value given, in the order of the declaration; fails on the first bad one.
    OptionValues(const CommandDecl& c, std::map<std::string, std::string> given);

    bool given(const std::string& name) const { return given_.count(name) != 0; }
    // The value given, else the default ("" with neither).
    std::string text(const std::string& name) const;
    double real(const std::string& name) const;
    int whole(const std::string& name) const;
    std::vector<double> numbers(const std::string& name) const;
    struct Range {
        double from, to, step;
    };
    Range range(const std::string& name) const;
    // The options as they were given, for a command that gives the same result again.
    const std::map<std::string, std::string>& as_given() const { return given_; }

private:
    const Option& declared(const std::string& name) const;
    const CommandDecl* command_;
    std::map<std::string, std::string> given_;
};

#endif
