#include "ImageFileTest.h"
#include "update/ImageFile.h"

#include <system_error>
#include <windows.h>

using namespace miran::update;

namespace {

// Devices and pipes could block or never end (NUL, a pipe without a writer); a huge file must not be read
// at all.
TEST_F(ImageFileTest, ReadsOnlyRegularFilesThatCanBeImages) {
    const std::string pipe = "\\\\.\\pipe\\miran-image-test-" + std::to_string(::getpid());
    HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    Write({});
    std::filesystem::resize_file(path_, 4294962688u + 1); // one byte past the last block boundary
    const std::string missing = folder.string() + "\\nonexistent\\image.bin";
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"NUL", "NUL: not a regular file"},
        {pipe, pipe + ": not a regular file"},
        {folder.string(), folder.string() + ": not a regular file"},
        {path_.string(), path_.string() + ": too large for a firmware image (4294962689 bytes, an upload can "
                                          "address at most 4294962688)"},
        {missing, missing + ": cannot be read: " + std::system_category().message(ERROR_PATH_NOT_FOUND)},
    };
    for (const Case& c : cases) {
        try {
            LoadImageFile(c.path);
            ADD_FAILURE() << "accepted: " << c.path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), c.expected);
        }
    }
    CloseHandle(server);
}

} // namespace
