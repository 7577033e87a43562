#pragma once

#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>

namespace miran::cli {

// An output stream that hands whole lines (or what a flush asks for) to a shared stream under a shared
// mutex, so that several threads can report at once without their lines mixing.
class LineStream : public std::ostream {
public:
    LineStream(std::ostream& target, std::mutex& mutex);
    ~LineStream() override;

private:
    class Buffer : public std::streambuf {
    public:
        Buffer(std::ostream& target, std::mutex& mutex) : target_(target), mutex_(mutex) {}
        void Emit();

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override;

    private:
        std::ostream& target_;
        std::mutex& mutex_;
        std::string pending_;
    };

    Buffer buffer_;
};

} // namespace miran::cli
