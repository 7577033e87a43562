#include "ImageFileTest.h"
#include "update/ImageFile.h"

#include <sys/stat.h>

using namespace miran::update;

namespace {

// Special files could block (a FIFO without a writer) or never end (/dev/zero); a huge file must not be
// read at all.
TEST_F(ImageFileTest, ReadsOnlyRegularFilesThatCanBeImages) {
    const std::filesystem::path fifo = path_.string() + ".fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    Write({});
    std::filesystem::resize_file(path_, 4294962688u + 1); // sparse: one byte past the last block boundary
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"/dev/zero", "/dev/zero: not a regular file"},
        {fifo.string(), fifo.string() + ": not a regular file"},
        {folder.string(), folder.string() + ": not a regular file"},
        {path_.string(), path_.string() + ": too large for a firmware image (4294962689 bytes, an upload can "
                                          "address at most 4294962688)"},
        {"/nonexistent/image.bin", "/nonexistent/image.bin: cannot be read: No such file or directory"},
    };
    for (const Case& c : cases) {
        try {
            LoadImageFile(c.path);
            ADD_FAILURE() << "accepted: " << c.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), c.expected);
        }
    }
    std::filesystem::remove(fifo);
}

} // namespace
