// Truncated, garbled and hostile markup: both readers end, stay inside the text and never crash.
#include <gtest/gtest.h>

#include "base/MessageBox.h"
#include "resources/MarkupError.h"
#include "resources/SGML.h"
#include "support/TestSupport.h"

#include <random>
#include <string>

namespace varno {
namespace {

int elementCount(const TSGML& e) {
    int n = 1;
    for (int i = 0; i < e.ChildCount(); ++i) n += elementCount(e.Child(i));
    return n;
}

bool allNamed(const TSGML& e) {
    if (e.GetTagName().empty()) return false;
    for (int i = 0; i < e.ChildCount(); ++i) {
        if (!allNamed(e.Child(i))) return false;
    }
    return true;
}

// Reads text with both readers and checks what must hold for any input.
void readBoth(const std::string& text) {
    const char* const begin = text.c_str();
    const char* const end = begin + text.size();

    const char* cursor = begin;
    const auto scanned = TSGML::ScanElement(cursor);
    EXPECT_GE(cursor, begin);
    EXPECT_LE(cursor, end);
    if (scanned && allNamed(*scanned)) {
        // The written text reads back to an element of the same size (an element without a
        // tag name is written "</>", which reads as a closing tag).
        const std::string written = scanned->WriteElement();
        const char* again = written.c_str();
        const auto reread = TSGML::ScanElement(again);
        ASSERT_TRUE(reread);
        EXPECT_EQ(elementCount(*reread), elementCount(*scanned)) << written;
    }

    TMessageCapture messages;  // "invalid Tag : ..." for unclosed elements
    cursor = begin;
    try {
        const auto parsed = TSGML::ParseElement(cursor);
        EXPECT_TRUE(parsed);
        EXPECT_LE(cursor, end);
    } catch (const EMarkupError&) {
        // "Tag Error": the text holds no complete tag
    }
}

TEST(MarkupRobustness, EveryTruncationOfAFile) {
    const std::string full = test::ReadBytes(test::DataPath("resources/sample.cmml"));
    ASSERT_FALSE(full.empty());
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        readBoth(full.substr(0, length));
    }
    // Cut short, the fast reader never finds more elements than the whole file holds...
    const char* cursor = full.c_str();
    const int whole = elementCount(*TSGML::ScanElement(cursor));
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const std::string part = full.substr(0, length);
        const char* p = part.c_str();
        const auto e = TSGML::ScanElement(p);
        // ... except for one stray element when the cut leaves a lone "<" behind.
        if (e) {
            EXPECT_LE(elementCount(*e), whole + 1) << length;
        }
    }
}

TEST(MarkupRobustness, GarbledText) {
    const std::string crafted[] = {
        "<",
        "<<<<<<<<",
        ">>>>",
        "</",
        "<a",
        "<a ",
        "<a b",
        "<a b=",
        "<a b=\"",
        "<a b=\"%",
        "<a b=\"%2",
        "<a \x83",
        "<a \x83\"",
        "<a/",
        "<a>",
        "<a></",
        "<a>\"\"\"<<<>>>",
        "<a b=\"1\" b=\"2\" c=\"%zz%%%\">< / ></>",
        "<\x81\x40 \xff\xff=\"\xfd\"/>",
        std::string("<a b=\"x\0y\"/>", 12),
        "<class><class></class></class>",
        "<a>" + std::string(5000, '<'),
        std::string(5000, '<') + ">",
        "<a " + std::string(5000, 'b') + "=\"1\">",
    };
    for (const std::string& text : crafted) {
        SCOPED_TRACE(text.substr(0, 40));
        readBoth(text);
    }

    // Random damage to a real file: bytes replaced by markup characters and arbitrary bytes.
    const std::string full = test::ReadBytes(test::DataPath("resources/sample.cmml"));
    std::mt19937 random(12345);
    const char markup[] = "<>/\"%= \x81\x00";
    for (int round = 0; round < 300; ++round) {
        std::string text = full;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < changes; ++k) {
            const std::size_t at = random() % text.size();
            text[at] = random() % 2 ? markup[random() % (sizeof markup - 1)] : static_cast<char>(random());
        }
        SCOPED_TRACE(round);
        readBoth(text);
    }
}

TEST(MarkupRobustness, DeepNestingIsCutOff) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    deep += "<b/>";

    const char* cursor = deep.c_str();
    const auto scanned = TSGML::ScanElement(cursor);
    ASSERT_TRUE(scanned);
    EXPECT_EQ(cursor, deep.c_str() + deep.size());  // the rest is left unread
    EXPECT_EQ(elementCount(*scanned), kMaxMarkupNesting);

    TMessageCapture messages;
    cursor = deep.c_str();
    EXPECT_THROW(TSGML::ParseElement(cursor), EMarkupError);
}

}  // namespace
}  // namespace varno
