// The opening dialog and the files of a run, driven through the built program.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace {

std::string opening_transcript(const std::string& between_mask_and_report = "") {
    return expected_banner() + "\n\n Name of the Directory ? " +
           "\n\n Name of the River Mask (without extension .raw) ? " + between_mask_and_report +
           "\n\n  THE FIRST FILE HAS:  \n" + "\n              3 LINES\n" +
           "\n          AND 4 COLUMNS\n" +
           "\n\n Name of the River Skeleton (without extension .raw) ? " +
           "\n\n  THE SECOND FILE HAS:  \n" + "\n               3 LINES\n" +
           "\n           AND 4 COLUMNS\n" +
           "\n\n Name of the Digital Elevation Model (without extension _m4.raw) ? ";
}

const char* kResultQuestion = "\n\n Name of the resulting File (without any extension) ? ";

const char* kResultSuffixes[] = {"_tarvex_m4.raw", "_tarvex_m4.txt", "_tarvex.xls",
                                 "_tarvex.raw", "_tarvex.txt"};

}  // namespace

TEST(OpeningRun, TheOpeningDialogIsExactAndTheResultHeadsAreWritten) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    RunResult r = c.run(root, c.opening_answers() + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.err, "");
    const std::string expected =
        opening_transcript() + "\n\n ALL THE FILES HAVE THE SAME SIZE" + kResultQuestion;
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex.txt").substr(0, c.report_head(root).size()),
              c.report_head(root));
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex_m4.txt").substr(0, 6), "3\n4\n4\n");
}

TEST(OpeningRun, AMissingRasterStopsWithStatus1BeforeAnyResultFile) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    std::remove((c.folder(root) + "skel.raw").c_str());
    RunResult r = c.run(root, c.opening_answers());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\n No File " + c.folder(root) + "skel.raw \n"), std::string::npos);
    EXPECT_EQ(r.out.find("Digital Elevation Model"), std::string::npos);  // not asked
    for (const char* suffix : kResultSuffixes) EXPECT_FALSE(file_exists(c.folder(root) + "out" + suffix));
}

TEST(OpeningRun, AMissingDescriptorIsCreatedFromTheAnswers) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    std::remove((c.folder(root) + "mask.txt").c_str());
    std::remove((c.folder(root) + "dem_m4.txt").c_str());
    const std::string answers = "case mask 3 4 25 skel dem 3 4 30 out\n" + std::string(RiverCase::kLayerOnlyAnswers);
    RunResult r = c.run(root, answers);
    EXPECT_EQ(r.err, "");
    const std::string sizes = "\n No File " + c.folder(root) + "mask.txt \n\n" +
                              "\n\tNumber of lines   ? \n\tNumber of columns ? \n\tPixel size ? ";
    EXPECT_EQ(r.out.substr(0, opening_transcript(sizes).size()), opening_transcript(sizes));
    EXPECT_EQ(read_file(c.folder(root) + "mask.txt"), "3\n4\n1\n0\n255\n25\n");
    EXPECT_NE(r.out.find("\n No File " + c.folder(root) + "dem_m4.txt \n\n"), std::string::npos);
    EXPECT_EQ(read_file(c.folder(root) + "dem_m4.txt"), "3\n4\n4\n-970\n1012\n25\n");
}

TEST(OpeningRun, SizeAnswersMustBePositiveNumbers) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    std::remove((c.folder(root) + "mask.txt").c_str());
    RunResult r = c.run(root, "case mask three 0 3 4 -2 25 skel dem out\n");
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("'three' is not a whole number"), std::string::npos);
    EXPECT_NE(r.out.find("greater than 0"), std::string::npos);
    EXPECT_EQ(read_file(c.folder(root) + "mask.txt"), "3\n4\n1\n0\n255\n25\n");
}

TEST(OpeningRun, DifferentSizesWarnAndTheRunGoesOnWithTheMaskSize) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    write_file(c.folder(root) + "dem_m4.txt", "3\n5\n4\n0\n0\n25\n");
    RunResult r = c.run(root, c.opening_answers() + RiverCase::kLayerOnlyAnswers);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\n\n NOT ALL THE FILES HAVE THE SAME SIZE" + std::string(kResultQuestion)),
              std::string::npos);
    EXPECT_EQ(read_file(c.folder(root) + "out_tarvex.txt").substr(0, 6), "3\n4\n1\n");
}

TEST(OpeningRun, AnswersThatEndEarlyStopWithStatus1) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.write(root);
    RunResult r = c.run(root, "case mask\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("End of input"), std::string::npos);
}

TEST(OpeningRun, AResultNameThatWouldReplaceAnInputIsRefused) {
    TempDir root;
    RiverCase c = RiverCase::small();
    c.mask_name = "r_tarvex";  // the result name "r" would write r_tarvex.raw over the mask
    c.write(root);
    const std::string mask_before = read_file(c.folder(root) + "r_tarvex.raw");
    const std::string descr_before = read_file(c.folder(root) + "r_tarvex.txt");
    RunResult r = c.run(root, "case r_tarvex skel dem r out\n" + std::string(RiverCase::kLayerOnlyAnswers));
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("The result name r would replace the input file"), std::string::npos);
    EXPECT_EQ(read_file(c.folder(root) + "r_tarvex.raw"), mask_before);
    EXPECT_EQ(read_file(c.folder(root) + "r_tarvex.txt"), descr_before);
    EXPECT_TRUE(file_exists(c.folder(root) + "out_tarvex.raw"));
}

TEST(OpeningRun, AResultNameLinkedToAnyOneInputIsRefused) {
    RiverCase c = RiverCase::small();
    for (const std::string& input : c.input_names()) {
        TempDir root;
        c.write(root);
        // Only the table's name of the result "out" leads to the input.
        std::filesystem::create_symlink(c.folder(root) + input, c.folder(root) + "out_tarvex.xls");
        RunResult r = c.run(root, c.opening_answers() + "other " + RiverCase::kLayerOnlyAnswers);
        EXPECT_EQ(r.status, 0) << input;
        EXPECT_NE(r.out.find("The result name out would replace the input file " + c.folder(root) + input),
                  std::string::npos)
            << input;
        EXPECT_TRUE(file_exists(c.folder(root) + "other_tarvex.xls"));
    }
}

// --help and --version answer at once: no dialog, no question asked, status 0.
TEST(OpeningRun, HelpAndVersionAnswerWithoutTheDialog) {
    TempDir root;
    const RunResult help = run_command({TARVEX_BIN, "--help"}, root.path());
    EXPECT_EQ(help.status, 0) << help.out;
    EXPECT_EQ(help.out.rfind("usage: tarvex [--help | --version]\n", 0), 0u) << help.out;
    const RunResult version = run_command({TARVEX_BIN, "--version"}, root.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tarvex ") + TARVEX_VERSION + "\n");
}
