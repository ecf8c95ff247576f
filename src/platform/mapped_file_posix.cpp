#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel::platform {

namespace {

class PosixMappedFile final : public MappedFile {
public:
    PosixMappedFile(void* data, std::size_t size) : data_(data), size_(size) {}
    ~PosixMappedFile() override { ::munmap(data_, size_); }
    std::string_view bytes() const override { return std::string_view(static_cast<const char*>(data_), size_); }

private:
    void* data_;
    std::size_t size_;
};

} // namespace

std::unique_ptr<MappedFile> MapWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* data = MAP_FAILED;
    std::size_t size = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        size = static_cast<std::size_t>(st.st_size);
        data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    ::close(fd);   // the mapping keeps the file
    if (data == MAP_FAILED) return nullptr;
    // Read front to back, with short steps back for continuation lines.
    ::madvise(data, size, MADV_SEQUENTIAL);
    return std::make_unique<PosixMappedFile>(data, size);
}

} // namespace ostrel::platform
