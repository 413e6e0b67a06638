#include "options.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "gis_io.h"
#include "numbers.h"

namespace {

Option make(const std::string& name, OptionType type, const std::string& value, const std::string& help) {
    Option o;
    o.name = name;
    o.type = type;
    o.value = value;
    o.help = help;
    return o;
}

// "a, b or c"
std::string listed(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t k = 0; k < words.size(); ++k) {
        text += (k == 0 ? "" : k + 1 == words.size() ? " or " : ", ") + words[k];
    }
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<double> number_of(const Option& o, const std::string& text) {
    const std::optional<double> v = read_number(text, o.least, o.most);
    if (v && o.above && *v <= o.least) return std::nullopt;
    return v;
}

[[noreturn]] void refuse(const Option& o, const std::string& needs, const std::string& text) {
    fail(o.name + " needs " + needs + ", not '" + text + "'");
}

void check_numbers(const Option& o, const std::string& text) {
    const std::vector<std::string> parts = split(text, ',');
    const bool counted = std::find(o.counts.begin(), o.counts.end(), parts.size()) != o.counts.end();
    if (!counted) refuse(o, o.value + " (numbers separated by commas)", text);
    for (const std::string& part : parts) {
        if (!number_of(o, part)) refuse(o, o.needs.empty() ? "a number" : o.needs, part);
    }
}

void check_range(const Option& o, const std::string& text) {
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() != 3) refuse(o, o.needs, text);
    std::vector<double> v;
    for (const std::string& part : parts) {
        const std::optional<double> n = read_number(part);
        if (!n) refuse(o, o.needs, text);
        v.push_back(*n);
    }
    if (v[2] <= 0 || v[1] < v[0]) refuse(o, "FROM <= TO and a STEP above 0", text);
}

void check_choice(const Option& o, const std::string& text) {
    if (std::find(o.allowed.begin(), o.allowed.end(), text) != o.allowed.end()) return;
    if (!o.noun.empty()) fail("unknown " + o.noun + " '" + text + "': use " + listed(o.allowed));
    fail(o.name + " is " + listed(o.allowed) + ", not '" + text + "'");
}

// The words laid out in lines of at most `width` characters, each after `indent`; the first
// line starts `used` characters in.
std::string wrapped(const std::vector<std::string>& words, std::size_t width, const std::string& indent,
                    std::size_t used = 0) {
    std::string out;
    std::size_t line = used;
    for (const std::string& word : words) {
        if (line > used && line + 1 + word.size() > width) {
            out += "\n" + indent;
            line = indent.size();
        } else if (line > used) {
            out += " ";
            ++line;
        }
        out += word;
        line += word.size();
    }
    return out;
}

std::string wrapped(const std::string& text, std::size_t width, const std::string& indent, std::size_t used = 0) {
    return wrapped(split(text, ' '), width, indent, used);
}

std::string usage_word(const Option& o) {
    const std::string word = o.type == OptionType::flag ? o.name : o.name + " " + o.value;
    return o.required ? word : "[" + word + "]";
}

// The words of an option's help line, with what it adds from its declaration: the default,
// kept on one line with its word, and whether it is required (the allowed values stand beside
// it, in its usage).
std::vector<std::string> help_of(const Option& o) {
    std::vector<std::string> words = split(o.help, ' ');
    if (!o.fallback.empty()) words.back() += ";", words.push_back("default " + o.fallback);
    if (o.required) words.back() += ";", words.push_back("required");
    return words;
}

}  // namespace

std::string Option::column_name() const {
    std::string c = name.substr(2);
    std::replace(c.begin(), c.end(), '-', '_');
    return c;
}

Option flag_option(const std::string& name, const std::string& help) { return make(name, OptionType::flag, "", help); }

Option whole_option(const std::string& name, const std::string& value, const std::string& help) {
    Option o = make(name, OptionType::whole, value, help);
    o.needs = "a whole number";
    return o;
}

Option real_option(const std::string& name, const std::string& value, const std::string& help) {
    return make(name, OptionType::real, value, help);
}

Option text_option(const std::string& name, const std::string& value, const std::string& help) {
    return make(name, OptionType::text, value, help);
}

Option path_option(const std::string& name, const std::string& value, const std::string& help) {
    return make(name, OptionType::path, value, help);
}

Option choice_option(const std::string& name, const std::vector<std::string>& allowed, const std::string& help) {
    std::string value;
    for (const std::string& a : allowed) value += (value.empty() ? "" : "|") + a;
    Option o = make(name, OptionType::choice, value, help);
    o.allowed = allowed;
    return o;
}

Option numbers_option(const std::string& name, const std::string& value, std::vector<std::size_t> counts,
                      const std::string& help) {
    Option o = make(name, OptionType::numbers, value, help);
    o.counts = std::move(counts);
    return o;
}

Option range_option(const std::string& name, const std::string& value, const std::string& help) {
    Option o = make(name, OptionType::range, value, help);
    o.needs = value;
    return o;
}

void check_value(const Option& o, const std::string& text) {
    switch (o.type) {
        case OptionType::flag:
            if (!text.empty()) fail(o.name + " is a switch: it takes no value, not '" + text + "'");
            return;
        case OptionType::whole: {
            const std::optional<double> v = number_of(o, text);
            if (!v || *v != std::trunc(*v)) refuse(o, o.needs, text);
            return;
        }
        case OptionType::real:
            if (!number_of(o, text)) refuse(o, o.needs.empty() ? "a number" : o.needs, text);
            return;
        case OptionType::choice:
            return check_choice(o, text);
        case OptionType::numbers:
            return check_numbers(o, text);
        case OptionType::range:
            return check_range(o, text);
        case OptionType::text:
        case OptionType::path:
            if (text.empty()) fail(o.name + " needs " + o.value + ", not an empty text");
            return;
    }
}

const Option* CommandDecl::find(const std::string& option) const {
    const auto at = std::find_if(options.begin(), options.end(), [&](const Option& o) { return o.name == option; });
    return at == options.end() ? nullptr : &*at;
}

std::string CommandDecl::synopsis() const {
    std::vector<std::string> words = {name + (positionals.empty() ? "" : " " + positionals)};
    for (const Option& o : options) words.push_back(usage_word(o));
    return wrapped(words, 100, "      ");
}

std::string CommandDecl::summary() const { return synopsis() + "\n  " + wrapped(about, 100, "  ", 2) + "\n"; }

std::string CommandDecl::help() const {
    std::string text = summary();
    std::size_t width = 0;
    for (const Option& o : options) width = std::max(width, usage_word(o).size() - (o.required ? 0 : 2));
    for (const Option& o : options) {
        std::string left = o.type == OptionType::flag ? o.name : o.name + " " + o.value;
        left.resize(width, ' ');
        const std::string indent(4 + width + 2, ' ');
        text += "    " + left + "  " + wrapped(help_of(o), 100, indent, indent.size()) + "\n";
    }
    return text;
}

CommandLine split_command_line(const CommandDecl& c, const std::vector<std::string>& words) {
    CommandLine line;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& word = words[k];
        if (word.rfind("--", 0) != 0) {
            line.positionals.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const Option* o = c.find(name);
        if (o == nullptr) throw UsageError("unknown option " + name);
        if (o->type == OptionType::flag) {
            if (equals != std::string::npos) throw UsageError(name + " is a switch: it takes no value");
            line.given[name] = "";
        } else if (equals != std::string::npos) {
            line.given[name] = word.substr(equals + 1);
        } else {
            if (k + 1 >= words.size()) throw UsageError(name + " needs a value");
            line.given[name] = words[++k];
        }
    }
    if (line.positionals.size() < c.least || line.positionals.size() > c.most) {
        throw UsageError("wrong number of arguments");
    }
    for (const Option& o : c.options) {
        if (o.required && line.given.count(o.name) == 0) throw UsageError(o.name + " is required");
    }
    return line;
}

OptionValues::OptionValues(const CommandDecl& c, std::map<std::string, std::string> given)
    : command_(&c), given_(std::move(given)) {
    for (const auto& [name, value] : given_) declared(name);
    for (const Option& o : c.options) {
        if (given_.count(o.name)) check_value(o, given_.at(o.name));
    }
}

const Option& OptionValues::declared(const std::string& name) const {
    const Option* o = command_->find(name);
    if (o == nullptr) fail("the command " + command_->name + " has no option " + name);
    return *o;
}

std::string OptionValues::text(const std::string& name) const {
    const auto at = given_.find(name);
    return at != given_.end() ? at->second : declared(name).fallback;
}

double OptionValues::real(const std::string& name) const { return read_number(text(name)).value_or(0); }

int OptionValues::whole(const std::string& name) const { return static_cast<int>(real(name)); }

std::vector<double> OptionValues::numbers(const std::string& name) const {
    std::vector<double> v;
    for (const std::string& part : split(text(name), ',')) v.push_back(read_number(part).value_or(0));
    return v;
}

OptionValues::Range OptionValues::range(const std::string& name) const {
    const std::vector<std::string> parts = split(text(name), ':');
    if (parts.size() != 3) return Range{0, 0, 0};
    return Range{read_number(parts[0]).value_or(0), read_number(parts[1]).value_or(0), read_number(parts[2]).value_or(0)};
}
