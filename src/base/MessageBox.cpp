// Message boxes: a replaceable handler whose default writes to standard error.
#include "base/MessageBox.h"

#include <cstdio>

#include "base/Text.h"

namespace varno {
namespace {

void printToStderr(std::string_view text) {
    const std::string utf8 = SjisToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    std::fflush(stderr);
}

MessageHandler& handler() {
    static MessageHandler current = printToStderr;
    return current;
}

}  // namespace

void ShowMessage(std::string_view text) {
    // Copy first: a handler may replace itself while it runs.
    MessageHandler current = handler();
    current(text);
}

MessageHandler SetMessageHandler(MessageHandler next) {
    MessageHandler previous = std::move(handler());
    handler() = next ? std::move(next) : MessageHandler(printToStderr);
    return previous;
}

TMessageCapture::TMessageCapture() {
    m_previous = SetMessageHandler([this](std::string_view text) {
        m_text.append(text);
        m_text.push_back('\n');
        ++m_count;
    });
}

TMessageCapture::~TMessageCapture() { SetMessageHandler(std::move(m_previous)); }

}  // namespace varno
