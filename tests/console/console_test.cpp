#include "console.h"

#include <gtest/gtest.h>

#include <streambuf>

#include "test_support.h"

TEST(AnswerWords, IntegersMustBeWholeWordsWithin32Bits) {
    int v = 0;
    EXPECT_TRUE(parse_int_word("12", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(parse_int_word("-3", v));
    EXPECT_EQ(v, -3);
    EXPECT_TRUE(parse_int_word("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(parse_int_word("2147483647", v));
    EXPECT_TRUE(parse_int_word("-2147483648", v));
    EXPECT_EQ(v, -2147483647 - 1);
    for (const char* bad : {"2147483648", "-2147483649", "12a", "1.5", "", "-", "abc", "0x10",
                            "99999999999999999999999"}) {
        EXPECT_FALSE(parse_int_word(bad, v)) << bad;
    }
}

TEST(AnswerWords, RealsMustBeFiniteDecimals) {
    double v = 0;
    const std::pair<const char*, double> good[] = {
        {"12", 12.0}, {"12.5", 12.5}, {"-3.", -3.0}, {"1e2", 100.0}, {".5", 0.5}, {"+2E-1", 0.2}};
    for (const auto& [word, value] : good) {
        EXPECT_TRUE(parse_real_word(word, v)) << word;
        EXPECT_DOUBLE_EQ(v, value);
    }
    for (const char* bad : {"inf", "nan", "0x1p3", "1e", "1e999", ".", "1.2.3", "12m", "e5"}) {
        EXPECT_FALSE(parse_real_word(bad, v)) << bad;
    }
}

TEST(ConsoleDialog, AWordThatIsNotANumberIsNamedAndTheQuestionAskedAgain) {
    ScriptedConsole sc("twelve 12");
    EXPECT_EQ(sc.con.ask_int("\n\tNumber ? "), 12);
    EXPECT_EQ(sc.out.str(),
              "\n\tNumber ? \n 'twelve' is not a whole number: please answer again \n\n\tNumber ? ");
}

TEST(ConsoleDialog, RefusedValuesShowTheRuleMessageAndAskAgain) {
    ScriptedConsole sc("0 -2 3");
    Console::Rule<int> positive{[](int v) { return v > 0; }, "<positive>"};
    EXPECT_EQ(sc.con.ask_int("?", positive), 3);
    EXPECT_EQ(sc.out.str(), "?<positive>?<positive>?");
}

TEST(ConsoleDialog, MenusRepeatForAnyCodeOutsideTheirRange) {
    ScriptedConsole sc("4 -1 3");
    EXPECT_EQ(sc.con.ask_menu("[menu]", 3), 3);
    EXPECT_EQ(sc.out.str(), "[menu][menu][menu]");
}

TEST(ConsoleDialog, NamesStopAtWhiteSpace) {
    ScriptedConsole sc("my river\n");
    EXPECT_EQ(sc.con.ask_name("?"), "my");
    EXPECT_EQ(sc.con.ask_name("?"), "river");
}

TEST(ConsoleDialog, WarningsWaitForOneKey) {
    ScriptedConsole sc("");
    sc.con.warn("careful");
    sc.con.wait_key();
    EXPECT_EQ(sc.con.key_waits(), 2);
    EXPECT_EQ(sc.out.str(), "careful");
}

TEST(ConsoleDialog, EndOfInputIsAFatalStop) {
    ScriptedConsole sc("5");
    sc.con.ask_int("?");
    EXPECT_THROW(sc.con.ask_int("?"), Stop);
    EXPECT_NE(sc.out.str().find("End of input: the last question has no answer"), std::string::npos);
}

TEST(ConsoleDialog, AnswersAreWordsOfAtMost4096Bytes) {
    const std::string longest(Console::kLongestAnswer, 'a'), longer(Console::kLongestAnswer + 1, 'b');
    ScriptedConsole sc(longest + "\n" + longer + " 7 " + longer + "\tname");
    EXPECT_EQ(sc.con.ask_name("?"), longest);
    EXPECT_EQ(sc.con.ask_int("?"), 7);  // the longer word is refused, the question asked again
    EXPECT_EQ(sc.con.ask_name("?"), "name");
    const std::string refusal = "\n An answer cannot be longer than 4096 bytes: please answer again \n";
    EXPECT_EQ(sc.out.str(), "??" + refusal + "??" + refusal + "?");
}

TEST(ConsoleDialog, NamesHoldNoControlByteAndAByteOrderMarkStartsNothing) {
    // A mark before the first answer is skipped, alone or glued to the word; a mark later is
    // part of its word.
    for (const char* answers : {"\xEF\xBB\xBFriver", "\xEF\xBB\xBF river"}) {
        ScriptedConsole sc(answers);
        EXPECT_EQ(sc.con.ask_name("?"), "river");
    }
    ScriptedConsole later("a \xEF\xBB\xBF" "b");
    later.con.ask_name("?");
    EXPECT_EQ(later.con.ask_name("?"), "\xEF\xBB\xBF" "b");
    const char answers[] = "r\0x r\x1b[2J r\x7fok";
    ScriptedConsole sc(std::string(answers, sizeof answers - 1));
    EXPECT_EQ(sc.con.ask_name("?"), "r\x7fok");  // DEL is not a control byte below 0x20
    EXPECT_EQ(sc.out.str(), "?\n A name cannot hold control characters: please answer again \n"
                            "?\n A name cannot hold control characters: please answer again \n?");
}

namespace {

// An output buffer that keeps what was written, and what of it had been flushed.
class RecordingOut : public std::streambuf {
public:
    bool all_flushed() const { return written_ == flushed_; }

private:
    int overflow(int c) override {
        written_.push_back(static_cast<char>(c));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        written_.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int sync() override {
        flushed_ = written_;
        return 0;
    }
    std::string written_, flushed_;
};

// An input buffer that gives one byte at a time and counts the bytes read while some output
// was not flushed yet.
class CheckingIn : public std::streambuf {
public:
    CheckingIn(const std::string& text, const RecordingOut& out) : text_(text), out_(out) {}
    int unflushed_reads = 0;

private:
    int underflow() override {
        if (at_ >= text_.size()) return traits_type::eof();
        if (!out_.all_flushed()) ++unflushed_reads;
        char* c = &text_[at_++];
        setg(c, c, c + 1);
        return traits_type::to_int_type(*c);
    }
    std::string text_;
    std::size_t at_ = 0;
    const RecordingOut& out_;
};

}  // namespace

TEST(ConsoleDialog, EveryPromptAndMessageIsFlushedBeforeAReadOrAKeyWait) {
    RecordingOut out_buffer;
    CheckingIn in_buffer("river x 7 5 1", out_buffer);
    std::ostream out(&out_buffer);
    std::istream in(&in_buffer);
    int unflushed_waits = 0;
    Console con(in, out, [&] { unflushed_waits += out_buffer.all_flushed() ? 0 : 1; }, false);
    con.ask_name("name ? ");
    con.ask_int("number ? ");  // 'x' is refused with a message, then 7
    con.warn("careful");
    con.ask_menu("menu", 1);   // 5 is outside the menu, 1 is taken
    EXPECT_EQ(in_buffer.unflushed_reads, 0);
    EXPECT_EQ(unflushed_waits, 0);
    EXPECT_EQ(con.key_waits(), 1);
}
