#include "file_formats.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

struct Fields {
    int v[6] = {-1, -1, -1, -1, -1, -1};
    int* const ptr[6] = {&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]};
};

int read_text(const std::string& text, Fields& f) {
    TempDir dir;
    write_file(dir / "d.txt", text);
    std::FILE* file = std::fopen((dir / "d.txt").c_str(), "r");
    int n = read_descriptor(file, f.ptr);
    std::fclose(file);
    return n;
}

}  // namespace

TEST(Descriptor, SixIntegersOnLinesOrOneLineReadTheSame) {
    Fields a, b;
    EXPECT_EQ(read_text("400\n300\n1\n0\n255\n25\n", a), 6);
    EXPECT_EQ(read_text("400 300\t1 0  255 25", b), 6);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(a.v[k], b.v[k]);
    EXPECT_EQ(a.v[0], 400);
    EXPECT_EQ(a.v[5], 25);
}

TEST(Descriptor, TextAfterTheSixthIntegerIsIgnored) {
    Fields f;
    EXPECT_EQ(read_text("4\n5\n1\n0\n255\n2\n\n\n Input Data : \n\tRiver mask : x.raw 99", f), 6);
    EXPECT_EQ(f.v[5], 2);
}

TEST(Descriptor, FewerIntegersSetOnlyThosePresent) {
    Fields f;
    EXPECT_EQ(read_text("12\n34\n4\n", f), 3);
    EXPECT_EQ(f.v[0], 12);
    EXPECT_EQ(f.v[2], 4);
    EXPECT_EQ(f.v[3], -1);
    Fields g;
    EXPECT_EQ(read_text("7 8 x 9", g), 2);
    EXPECT_EQ(g.v[2], -1);
    Fields h;
    EXPECT_EQ(read_text("-12 99999999999 3", h), 1);  // beyond 32 bits stops the read
    EXPECT_EQ(h.v[0], -12);
    EXPECT_EQ(h.v[1], -1);
    // 2^31, one beyond the largest int, stops the read like any larger value; -2^31 is an int.
    Fields edge;
    EXPECT_EQ(read_text("2147483647 -2147483648 2147483648 5", edge), 2);
    EXPECT_EQ(edge.v[0], 2147483647);
    EXPECT_EQ(edge.v[1], -2147483647 - 1);
    EXPECT_EQ(edge.v[2], -1);
    // Leading zeros, however many, are a "%d" field's; a sign alone or twice is none.
    Fields zeros;
    EXPECT_EQ(read_text("000000000000000000400 -0000000000000003 +0 -000 +-5", zeros), 4);
    EXPECT_EQ(zeros.v[0], 400);
    EXPECT_EQ(zeros.v[1], -3);
    EXPECT_EQ(zeros.v[2], 0);
    EXPECT_EQ(zeros.v[3], 0);
    EXPECT_EQ(zeros.v[4], -1);
}

TEST(Descriptor, WrittenAsOneIntegerPerLine) {
    TempDir dir;
    std::FILE* file = std::fopen((dir / "d.txt").c_str(), "w");
    const int values[6] = {400, 300, 1, 0, 255, 25};
    EXPECT_TRUE(write_descriptor_lines(file, values, 6));
    EXPECT_TRUE(write_descriptor_lines(file, values, 3));
    std::fclose(file);
    EXPECT_EQ(read_file(dir / "d.txt"), "400\n300\n1\n0\n255\n25\n400\n300\n1\n");
}

TEST(RasterRows, IntegersAreLittleEndianOnDisk) {
    TempDir dir;
    std::FILE* file = std::fopen((dir / "r").c_str(), "wb");
    const int row[3] = {1000, -1, 0x01020304};
    EXPECT_TRUE(write_int_row(file, row, 3));
    std::fclose(file);
    EXPECT_EQ(read_file(dir / "r"), std::string("\xE8\x03\x00\x00\xFF\xFF\xFF\xFF\x04\x03\x02\x01", 12));

    file = std::fopen((dir / "r").c_str(), "rb");
    int back[3] = {0, 0, 0};
    read_int_row(file, back, 3);
    std::fclose(file);
    EXPECT_EQ(back[0], 1000);
    EXPECT_EQ(back[1], -1);
    EXPECT_EQ(back[2], 0x01020304);
}

TEST(RasterRows, ABigEndianHostTurnsEachCellsBytes) {
    EXPECT_EQ(swap_bytes(0x01020304u), 0x04030201u);
    EXPECT_EQ(swap_bytes(0xE8030000u), 1000u);
    int cells[4] = {1000, -1, 0x01020304, -2};
    swap_cells(cells, 3);  // the fourth is left alone
    EXPECT_EQ(static_cast<std::uint32_t>(cells[0]), 0xE8030000u);
    EXPECT_EQ(cells[1], -1);
    EXPECT_EQ(cells[2], 0x04030201);
    EXPECT_EQ(cells[3], -2);
}

TEST(RasterRows, AShortFileLeavesIncompleteCellsAtZero) {
    TempDir dir;
    write_file(dir / "r", int_raster({7, 8}) + std::string("\x05\x06", 2));
    std::FILE* file = std::fopen((dir / "r").c_str(), "rb");
    int row[4] = {0, 0, 0, 0};
    read_int_row(file, row, 4);
    std::fclose(file);
    EXPECT_EQ(row[0], 7);
    EXPECT_EQ(row[1], 8);
    EXPECT_EQ(row[2], 0);
    EXPECT_EQ(row[3], 0);
}

TEST(RasterRows, BytesAreRowAfterRow) {
    TempDir dir;
    write_file(dir / "r", byte_raster({1, 2, 3, 4, 5, 6}));
    std::FILE* file = std::fopen((dir / "r").c_str(), "rb");
    unsigned char rows[3][2] = {};
    for (auto& row : rows) read_byte_row(file, row, 2);
    std::fclose(file);
    EXPECT_EQ(rows[0][1], 2);
    EXPECT_EQ(rows[1][0], 3);
    EXPECT_EQ(rows[2][1], 6);
}

TEST(FilePaths, FolderBaseNameAndSuffixAreJoinedAsGiven) {
    EXPECT_EQ(file_path("images/dem/", "m1", kByteRaster), "images/dem/m1.raw");
    EXPECT_EQ(file_path("images/dem//", "r", kResultDemDescriptor), "images/dem//r_tarvex_m4.txt");
}

// Whole grids go to and from disk in runs of rows that follow one another in memory; a row
// elsewhere (here the last row, in a block of its own) starts a run of its own.
TEST(RasterGrids, RowsInAndOutOfOneBlockReadAndWriteAsRowAfterRow) {
    TempDir dir;
    write_file(dir / "r", int_raster({1, 2, 3, 4}) + std::string("\x05\x06", 2));
    int block[2][3] = {};
    int last[3] = {-1, -1, -1};
    int* rows[3] = {block[0], block[1], last};
    std::FILE* file = std::fopen((dir / "r").c_str(), "rb");
    read_int_grid(file, rows, 3, 3);
    std::fclose(file);
    // Four whole cells, then a file ending inside the fifth: it stays 0 like every cell after.
    EXPECT_EQ(block[0][2], 3);
    EXPECT_EQ(block[1][0], 4);
    EXPECT_EQ(block[1][1], 0);
    EXPECT_EQ(block[1][2], 0);
    EXPECT_EQ(last[0], 0);
    EXPECT_EQ(last[2], 0);

    block[1][1] = 5;
    last[2] = -9;
    file = std::fopen((dir / "w").c_str(), "wb");
    EXPECT_TRUE(write_int_grid(file, rows, 3, 3));
    std::fclose(file);
    EXPECT_EQ(read_file(dir / "w"), int_raster({1, 2, 3, 4, 5, 0, 0, 0, -9}));

    unsigned char bytes[2][2] = {{1, 2}, {3, 4}};
    unsigned char* byte_rows[2] = {bytes[1], bytes[0]};  // the second row first in memory
    file = std::fopen((dir / "b").c_str(), "wb");
    EXPECT_TRUE(write_byte_grid(file, byte_rows, 2, 2));
    std::fclose(file);
    EXPECT_EQ(read_file(dir / "b"), byte_raster({3, 4, 1, 2}));
}

TEST(RasterGrids, AFullDiskIsAFailedWrite) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    std::setvbuf(full, nullptr, _IONBF, 0);
    int cells[2][2] = {{1, 2}, {3, 4}};
    int* rows[2] = {cells[0], cells[1]};
    EXPECT_FALSE(write_int_grid(full, rows, 2, 2));
    std::fclose(full);
}
