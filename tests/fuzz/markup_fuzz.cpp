// Fuzzes both resource-markup readers, the writer and the building of resource nodes:
// whatever the bytes, reading must end, an element that was read must write and read back
// without fault, and building its nodes (against a directory that does not exist, so that
// no link reaches a real file) must give nodes or errors, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/MessageBox.h"
#include "base/Error.h"
#include "resources/ResourceLoader.h"
#include "resources/SGML.h"
#include "runtime/Resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varno;
    static const MessageHandler quiet = SetMessageHandler([](std::string_view) {});
    (void)quiet;
    const std::string text(reinterpret_cast<const char*>(data), size);  // zero-terminated copy

    const char* cursor = text.c_str();
    if (auto element = TSGML::ScanElement(cursor)) {
        const std::string written = element->WriteElement();
        const char* again = written.c_str();
        (void)TSGML::ScanElement(again);
        try {
            (void)BuildResource(*element, "/nonexistent-varno-fuzz");
        } catch (const EVarno&) {
        }
    }
    cursor = text.c_str();
    try {
        (void)TSGML::ParseElement(cursor);
    } catch (const EVarno&) {
    }
    return 0;
}
