// The one host function through which every message box of the system is shown.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace varno {

// Shows text (Shift-JIS bytes) to the user and returns when the box is dismissed.
// Until a window installs its own handler, the text goes to standard error as UTF-8.
void ShowMessage(std::string_view text);

using MessageHandler = std::function<void(std::string_view)>;

// Replaces the handler; returns the previous one so that a caller (or a test) can restore it.
MessageHandler SetMessageHandler(MessageHandler handler);

// Captures every message shown while it lives; tests use it to see what the user would see.
class TMessageCapture {
public:
    TMessageCapture();
    ~TMessageCapture();
    TMessageCapture(const TMessageCapture&) = delete;
    TMessageCapture& operator=(const TMessageCapture&) = delete;

    const std::string& text() const { return m_text; }  // every message, each followed by '\n'
    int count() const { return m_count; }

private:
    MessageHandler m_previous;
    std::string m_text;
    int m_count = 0;
};

}  // namespace varno
