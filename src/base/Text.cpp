// Shift-JIS <-> UTF-8 through iconv's CP932, the code page the system's text is written in.
#include "base/Text.h"

#include <iconv.h>

#include <cerrno>

namespace varno {
namespace {

// Converts with iconv from one code to another; an unconvertible or truncated sequence
// is replaced by `replacement` and skipped by `skip` input bytes.
std::string convert(std::string_view in, const char* to, const char* from, std::string_view replacement) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(in);  // no converter: hand the bytes on unchanged
    }
    out.reserve(in.size() * 3 / 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, dst - buffer);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: drop one byte (a whole UTF-8 sequence would be kinder,
            // but one byte never loses sync worse than one character).
            out.append(replacement);
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

bool isPlainAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
    if (isPlainAscii(sjis)) return std::string(sjis);
    return convert(sjis, "UTF-8", "CP932", "\xEF\xBF\xBD");
}

std::string Utf8ToSjis(std::string_view utf8) {
    if (isPlainAscii(utf8)) return std::string(utf8);
    return convert(utf8, "CP932", "UTF-8", "?");
}

}  // namespace varno
