#include "LineStream.h"

namespace miran::cli {

LineStream::LineStream(std::ostream& target, std::mutex& mutex)
    : std::ostream(nullptr), buffer_(target, mutex) {
    rdbuf(&buffer_);
}

LineStream::~LineStream() {
    buffer_.Emit();
}

void LineStream::Buffer::Emit() {
    if (pending_.empty())
        return;
    std::lock_guard lock(mutex_);
    target_ << pending_ << std::flush;
    pending_.clear();
}

LineStream::Buffer::int_type LineStream::Buffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    if (c == '\n')
        Emit();
    return c;
}

std::streamsize LineStream::Buffer::xsputn(const char* s, std::streamsize n) {
    for (std::streamsize i = 0; i < n; ++i)
        overflow(traits_type::to_int_type(s[i]));
    return n;
}

int LineStream::Buffer::sync() {
    Emit();
    return 0;
}

} // namespace miran::cli
