#include "platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

TEST(ImagesFolder, ComesFromTheEnvironmentOrDefaultsToImages) {
    setenv("TARVEX_IMAGES", "/data/rasters", 1);
    EXPECT_EQ(images_folder("dem"), "/data/rasters/dem/");
    EXPECT_EQ(images_folder("dem/"), "/data/rasters/dem//");  // nothing is normalised
    setenv("TARVEX_IMAGES", "", 1);
    EXPECT_EQ(images_folder("dem"), "images/dem/");
    unsetenv("TARVEX_IMAGES");
    EXPECT_EQ(images_folder("dem"), "images/dem/");
}

TEST(SameFile, ComparesFilesNotTexts) {
    TempDir dir;
    write_file(dir / "a.raw", "x");
    EXPECT_TRUE(same_file(dir / "a.raw", dir.path() + "//./a.raw"));
    EXPECT_FALSE(same_file(dir / "a.raw", dir / "b.raw"));  // b does not exist
    write_file(dir / "b.raw", "x");
    EXPECT_FALSE(same_file(dir / "a.raw", dir / "b.raw"));
}
