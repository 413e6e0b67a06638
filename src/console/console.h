// The console dialog: prompts, one-word answers, menus, warnings, fatal stops and traces.
//
// Every answer is the next whitespace-delimited word of the input (a UTF-8 byte-order mark
// before the first one is skipped). A word that does not convert, a value a question refuses,
// a word longer than kLongestAnswer bytes and a name holding a control byte get a short message
// and the same question again. Output is flushed before every read and key wait, so each prompt
// and message is visible before the program waits. A fatal stop prints, waits for a key and
// throws Stop, which `main` turns into exit status 1.
#ifndef TARVEX_CONSOLE_H
#define TARVEX_CONSOLE_H

#include <functional>
#include <istream>
#include <ostream>
#include <string>

#include "stop.h"
#include "text.h"
#include "trace.h"

// Whole-word conversions: an integer within 32 bits; a finite decimal real (12, 12.5, -3., 1e2).
bool parse_int_word(const std::string& word, int& value);
bool parse_real_word(const std::string& word, double& value);

// The console is also where a run's trace goes.
class Console : public Trace {
public:
    using KeySource = std::function<void()>;

    // The longest answer word taken; a longer one is refused without being held whole.
    static constexpr std::size_t kLongestAnswer = 4096;

    // key_source is called for each key wait (empty: waits return at once). flush_each makes
    // every print visible at once (a terminal); otherwise output is flushed before reads.
    Console(std::istream& in, std::ostream& out, KeySource key_source, bool flush_each);

    // The console of the process: standard input and output, a real key wait on a terminal.
    static Console standard();

    void say(const char* fmt, ...) TARVEX_PRINTF(2, 3);
    void say_text(const std::string& text) override;

    // A rule a numeric answer must meet, with the message shown when it does not.
    template <typename T>
    struct Rule {
        std::function<bool(T)> ok;
        std::string refusal;
    };

    std::string ask_name(const std::string& prompt);
    int ask_int(const std::string& prompt, const Rule<int>& rule = {});
    double ask_real(const std::string& prompt, const Rule<double>& rule = {});
    // Shows the menu text and reads a code; asked again until it lies in 0 .. highest.
    int ask_menu(const std::string& menu, int highest);

    void wait_key() override;
    void warn(const std::string& message);
    // Prints the message, waits for a key and throws Stop carrying the message.
    [[noreturn]] void fatal(const std::string& message);

    int key_waits() const { return key_waits_; }

private:
    // The next answer word; false (after saying why) when it is too long to be taken.
    bool next_word(std::string& word);
    bool read_word(std::string& word);
    template <typename T>
    T ask_number(const std::string& prompt, const Rule<T>& rule,
                 bool (*parse)(const std::string&, T&), const char* kind);
    void flush();

    std::istream& in_;
    std::ostream& out_;
    KeySource key_source_;
    bool flush_each_;
    int key_waits_ = 0;
    bool first_word_ = true;
};

#endif
