#include "console.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "numbers.h"
#include "platform.h"

bool parse_int_word(const std::string& word, int& value) {
    const std::optional<long long> v = read_integer(word, INT32_MIN, INT32_MAX);
    if (v) value = static_cast<int>(*v);
    return v.has_value();
}

bool parse_real_word(const std::string& word, double& value) {
    const std::optional<double> v = read_number(word);
    if (v) value = *v;
    return v.has_value();
}

Console::Console(std::istream& in, std::ostream& out, KeySource key_source, bool flush_each)
    : in_(in), out_(out), key_source_(std::move(key_source)), flush_each_(flush_each) {}

Console Console::standard() {
    KeySource keys;
    if (stdin_is_terminal()) keys = read_one_key;
    return Console(std::cin, std::cout, keys, stdout_is_terminal());
}

void Console::say(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    say_text(vstrf(fmt, args));
    va_end(args);
}

void Console::say_text(const std::string& text) {
    out_ << text;
    if (flush_each_) out_.flush();
}

void Console::flush() { out_.flush(); }

namespace {

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool has_control_byte(const std::string& word) {
    for (unsigned char c : word) {
        if (c < 0x20) return true;
    }
    return false;
}

const char* const kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// Skips white space, then takes bytes up to the next white space or the end of the input.
// False when the word is longer than kLongestAnswer: its bytes beyond that are read and
// dropped. The end of the input before any word is a fatal stop.
bool Console::read_word(std::string& word) {
    word.clear();
    std::streambuf* in = in_.rdbuf();
    int c = in->sgetc();
    while (c != EOF && is_space(c)) c = in->snextc();
    if (c == EOF) fatal("\n\n End of input: the last question has no answer \n");
    bool fits = true;
    for (; c != EOF && !is_space(c); c = in->snextc()) {
        if (word.size() < kLongestAnswer) {
            word.push_back(static_cast<char>(c));
        } else {
            fits = false;
        }
    }
    return fits;
}

bool Console::next_word(std::string& word) {
    flush();
    bool fits = read_word(word);
    if (first_word_ && word.compare(0, 3, kByteOrderMark) == 0) {
        word.erase(0, 3);  // a mark saved by an editor before the first answer
        if (word.empty()) fits = read_word(word);
    }
    first_word_ = false;
    if (!fits) say("\n An answer cannot be longer than %zu bytes: please answer again \n", kLongestAnswer);
    return fits;
}

std::string Console::ask_name(const std::string& prompt) {
    for (;;) {
        say_text(prompt);
        std::string word;
        if (!next_word(word)) continue;
        if (!has_control_byte(word)) return word;
        say_text("\n A name cannot hold control characters: please answer again \n");
    }
}

template <typename T>
T Console::ask_number(const std::string& prompt, const Rule<T>& rule,
                      bool (*parse)(const std::string&, T&), const char* kind) {
    for (;;) {
        say_text(prompt);
        std::string word;
        T value{};
        if (!next_word(word)) continue;
        if (!parse(word, value)) {
            say("\n '%s' is not %s: please answer again \n", word.c_str(), kind);
        } else if (rule.ok && !rule.ok(value)) {
            say_text(rule.refusal);
        } else {
            return value;
        }
    }
}

int Console::ask_int(const std::string& prompt, const Rule<int>& rule) {
    return ask_number(prompt, rule, parse_int_word, "a whole number");
}

double Console::ask_real(const std::string& prompt, const Rule<double>& rule) {
    return ask_number(prompt, rule, parse_real_word, "a decimal number");
}

int Console::ask_menu(const std::string& menu, int highest) {
    Rule<int> in_menu{[highest](int code) { return code >= 0 && code <= highest; }, ""};
    return ask_int(menu, in_menu);
}

void Console::wait_key() {
    flush();
    ++key_waits_;
    if (key_source_) key_source_();
}

void Console::warn(const std::string& message) {
    say_text(message);
    wait_key();
}

void Console::fatal(const std::string& message) {
    say_text(message);
    wait_key();
    flush();
    throw Stop(message);
}
