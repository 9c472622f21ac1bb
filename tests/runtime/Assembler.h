// A small assembler for tests: code blocks written as instruction names with operands.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/CompiledInfo.h"
#include "runtime/Opcodes.h"
#include "runtime/Peephole.h"
#include "runtime/Symbols.h"
#include "runtime/Value.h"

namespace varno::test {

// Assembles text into a code block. Instructions are separated by ';' or line breaks,
// each its name (as in the instruction table, without "Op_") and its operands:
//   12, -8          a plain word
//   #name           the symbol of name
//   >label          byte distance from the instruction to "label:" (defined anywhere)
//   int:5  float:2.5  null  err:0  unset:name   a value operand (two words)
//   $name           a tvRef value to a global's cell (resolved through the callback)
//   "text"          a string constant (PushString)
//   class:Name  fn:Class.method   references (resolved through the callback)
// "label:" marks a position, alone or before an instruction.
// ".point N" records a source point N at the next instruction. Each instruction must get
// exactly the words the table gives it. With fuse set, the peephole pass runs afterwards.
class TAssembler {
public:
    // (kind, name) -> word; kinds "global", "class", "fn".
    using TResolve = std::function<std::uint32_t(std::string_view kind, std::string_view name)>;

    explicit TAssembler(TResolve resolve = {}) : m_resolve(std::move(resolve)) {}

    std::unique_ptr<TCompiledInfo> assemble(std::string_view text, TRTTI* cls = nullptr, bool fuse = true) {
        m_code.clear();
        m_symbols = TSymInfoList();
        m_labels.clear();
        m_fixups.clear();
        for (std::string_view line : split(text)) statement(line);
        for (const auto& [at, label] : m_fixups) {
            const auto it = m_labels.find(label);
            EXPECT_TRUE(it != m_labels.end()) << "no label " << label;
            if (it == m_labels.end()) continue;
            const std::uint32_t start = m_instructionOf.at(at);
            const auto distance = static_cast<std::int32_t>(it->second) - static_cast<std::int32_t>(start);
            std::memcpy(&m_code[at], &distance, 4);
        }
        auto info = std::make_unique<TCompiledInfo>(m_symbols, m_code, cls);
        if (fuse) Peephole(*info);
        return info;
    }

private:
    static std::vector<std::string_view> split(std::string_view text) {
        std::vector<std::string_view> out;
        std::size_t start = 0;
        bool quoted = false;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] == '"') quoted = !quoted;
            if (i == text.size() || (!quoted && (text[i] == ';' || text[i] == '\n'))) {
                std::string_view s = trim(text.substr(start, i - start));
                if (!s.empty()) out.push_back(s);
                start = i + 1;
            }
        }
        return out;
    }
    static std::string_view trim(std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
        return s;
    }

    void statement(std::string_view line) {
        // "label:" alone or before an instruction.
        const std::size_t space = line.find(' ');
        const std::string_view first = line.substr(0, space);
        if (first.back() == ':') {
            m_labels[std::string(first.substr(0, first.size() - 1))] = pos();
            if (space == std::string_view::npos) return;
            line = trim(line.substr(space));
        }
        std::vector<std::string_view> tokens;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && line[i] == ' ') ++i;
            if (i >= line.size()) break;
            std::size_t j = i;
            if (line[i] == '"') {
                j = line.find('"', i + 1);
                j = j == std::string_view::npos ? line.size() : j + 1;
            } else {
                while (j < line.size() && line[j] != ' ') ++j;
            }
            tokens.push_back(line.substr(i, j - i));
            i = j;
        }
        if (tokens[0] == ".point") {
            AddRecord(m_symbols, kSourcePointKind, pos(), std::string(tokens.at(1)));
            return;
        }
        const std::uint32_t code = opcode(tokens[0]);
        const std::uint32_t start = pos();
        word(code);
        for (std::size_t k = 1; k < tokens.size(); ++k) operand(tokens[k], start);
        const std::uint32_t words = kOpcodeInfo[code].words;
        if (words != 0) {
            EXPECT_EQ((pos() - start) / 4, words) << "operands of " << tokens[0];
        }
    }

    static std::uint32_t opcode(std::string_view name) {
        for (std::uint32_t c = 0; c < kOpcodeCount; ++c) {
            if (kOpcodeInfo[c].name == name) return c;
        }
        ADD_FAILURE() << "no instruction " << name;
        return 0;
    }

    void operand(std::string_view t, std::uint32_t start) {
        if (t.front() == '"') {
            const std::string_view text = t.substr(1, t.size() - 2);
            const auto length = static_cast<std::uint32_t>((text.size() + 4) & ~3u);
            word(length);
            std::string bytes(text);
            bytes.resize(length, '\0');
            m_code += bytes;
            return;
        }
        if (t.front() == '#') return word(static_cast<std::uint32_t>(Intern(t.substr(1))));
        if (t.front() == '>') {
            m_instructionOf[pos()] = start;
            m_fixups.emplace_back(pos(), std::string(t.substr(1)));
            return word(0);
        }
        if (t.front() == '$') return value(tvRef, m_resolve("global", t));
        if (t == "null") return value(tvNull, 0);
        const std::size_t colon = t.find(':');
        if (colon != std::string_view::npos) {
            const std::string_view kind = t.substr(0, colon);
            const std::string_view rest = t.substr(colon + 1);
            if (kind == "int") return value(tvInt, static_cast<std::uint32_t>(number(rest)));
            if (kind == "err") return value(tvError, static_cast<std::uint32_t>(number(rest)));
            if (kind == "unset") return value(tvUnset, static_cast<std::uint32_t>(Intern(rest)));
            if (kind == "float") {
                const TValue v = TValue::Float(std::stof(std::string(rest)));
                return value(tvFloat, v.payload);
            }
            return word(m_resolve(kind, rest));
        }
        word(static_cast<std::uint32_t>(number(t)));
    }

    static std::int64_t number(std::string_view t) {
        std::int64_t n = 0;
        const auto result = std::from_chars(t.data(), t.data() + t.size(), n);
        EXPECT_TRUE(result.ec == std::errc() && result.ptr == t.data() + t.size()) << "not a number: " << t;
        return n;
    }

    void value(TVType tag, std::uint32_t payload) {
        word(static_cast<std::uint32_t>(tag));
        word(payload);
    }
    void word(std::uint32_t w) {
        char b[4];
        std::memcpy(b, &w, 4);
        m_code.append(b, 4);
    }
    std::uint32_t pos() const { return static_cast<std::uint32_t>(m_code.size()); }

    TResolve m_resolve;
    std::string m_code;
    TSymInfoList m_symbols;
    std::map<std::string, std::uint32_t> m_labels;
    std::vector<std::pair<std::uint32_t, std::string>> m_fixups;
    std::map<std::uint32_t, std::uint32_t> m_instructionOf;
};

}  // namespace varno::test
