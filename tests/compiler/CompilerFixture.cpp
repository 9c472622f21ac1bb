// The compiler tests' tree, compile helpers and code renderer.
#include "CompilerFixture.h"

#include <cstdio>

#include "runtime/Function.h"
#include "runtime/Opcodes.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno::test {

TFolder& TFolder::folder(const std::string& name) {
    if (auto* existing = dynamic_cast<TFolder*>(FindChild(name))) return *existing;
    return add(std::make_unique<TFolder>(name));
}

void TFolder::AddChild(std::unique_ptr<TResource> child) {
    child->SetParent(this);
    m_items.push_back(std::move(child));
}

TResource* TFolder::FindChild(std::string_view name) {
    for (auto& item : m_items) {
        if (SameText(item->Name(), name)) return item.get();
    }
    return nullptr;
}

void TFolder::InitStep(TInitContext& context) {
    for (auto& item : m_items) item->InitStep(context);
}

TCompilerTest::TCompilerTest()
    : m_savedHooks(RuntimeHooks()), m_savedRoot(RootResource()), m_root(std::make_unique<TFolder>("kernel")) {
    SetRootResource(m_root.get());
    m_root->folder("classes");
    TFolder& globals = m_root->folder("usrglobal");
    InstallCompiler();
    RuntimeHooks().rootFallback = [&globals](std::string_view name) -> TResource* {
        if (TResource* found = globals.FindChild(name)) return found;
        return &globals.add(std::make_unique<TGlobal>(std::string(name)));
    };
}

TCompilerTest::~TCompilerTest() {
    m_root.reset();
    SetRootResource(m_savedRoot);
    RuntimeHooks() = m_savedHooks;
}

TRTTI& TCompilerTest::addClass(const std::string& folderPath, const std::string& name,
                               std::initializer_list<const char*> members, TRTTI* super) {
    TFolder* folder = m_root.get();
    std::size_t start = 0;
    while (start < folderPath.size()) {
        std::size_t dot = folderPath.find('.', start);
        if (dot == std::string::npos) dot = folderPath.size();
        folder = &folder->folder(folderPath.substr(start, dot - start));
        start = dot + 1;
    }
    TRTTI& cls = folder->add(std::make_unique<TRTTI>(name, ""));
    if (super != nullptr) {
        cls.SetSuperClass(super);
        cls.InheritMethods();
        cls.InheritMembers();
    }
    for (const char* member : members) cls.MemberIndexOf(member);
    cls.SetCompiled(true);
    return cls;
}

TFunction& TCompilerTest::addMethod(TRTTI& cls, const std::string& kind, const std::string& name) {
    const std::int32_t symbol = Intern(name);
    TFunction* function;
    if (kind == "native") function = new TNativeFunction(&cls, symbol);
    else if (kind == "constructor") function = new TConstructor(&cls, symbol);
    else if (kind == "destructor") function = new TDestructor(&cls, symbol);
    else function = new TNormalFunction(&cls, symbol);
    if (kind == "native") cls.AddMethod(function);
    else cls.AddOrReplaceMethod(function);
    return *function;
}

TRTTI& TCompilerTest::newClass(const std::string& name) {
    return m_root->folder("usr").add(std::make_unique<TRTTI>(name, "usr\\" + name + ".varno"));
}

TRTTI& TCompilerTest::compile(std::string_view source, const std::string& name) {
    TRTTI& cls = newClass(name);
    const auto diagnostic = CompileSource(cls, source, m_root.get());
    EXPECT_FALSE(diagnostic.has_value()) << (diagnostic ? diagnostic->message : "") << " in\n" << source;
    return cls;
}

std::string TCompilerTest::errorOf(std::string_view source, const std::string& name) {
    TRTTI& cls = newClass(name);
    const auto diagnostic = CompileSource(cls, source, m_root.get());
    if (!diagnostic) return "ok";
    EXPECT_TRUE(cls.CompileFailed());
    return diagnostic->message + "@" + std::to_string(diagnostic->offset);
}

namespace {

std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string RecordText(const TCompiledInfo& info, std::int32_t kind, std::uint32_t offset) {
    for (const TCInfoElem& elem : info.symbols().elements) {
        if (elem.kind != kind) continue;
        for (std::uint32_t at : elem.offsets) {
            if (at == offset) return elem.text;
        }
    }
    return "?";
}

std::string ValueOperand(const TCompiledInfo& info, std::uint32_t pos) {
    const TValue v = TValue::Make(static_cast<TVType>(info.word(pos + 4) & 0xFF), info.word(pos + 8));
    switch (v.tag) {
        case tvNull: return "null";
        case tvInt: return std::to_string(v.asInt());
        case tvFloat: return FloatText(v.asFloat()) + "f";
        case tvRef: return "&" + RecordText(info, 1, pos);
        default: return "tag" + std::to_string(static_cast<int>(v.tag));
    }
}

std::string FunctionName(std::uint32_t ref) {
    const TFunction* f = HostFromRef<TFunction>(ref);
    return f != nullptr ? f->NameText() : "nil";
}

std::string ClassName(std::uint32_t ref) {
    const TRTTI* cls = HostFromRef<TRTTI>(ref);
    return cls != nullptr ? FullName(*cls) : "nil";
}

}  // namespace

std::string CodeText(const TCompiledInfo& info, bool unfuse) {
    std::string out;
    std::uint32_t pos = 0;
    while (pos + 4 <= info.size()) {
        std::uint32_t op = info.word(pos);
        if (unfuse && IsFused(op)) op = static_cast<std::uint32_t>(FirstPart(static_cast<TOpcode>(op)));
        if (!IsOpcode(op)) return out + "; <bad " + std::to_string(op) + ">";
        if (!out.empty()) out += "; ";
        std::string text(OpcodeName(op));
        auto w = [&](std::uint32_t k) { return info.word(pos + 4 * k); };
        auto s = [&](std::uint32_t k) { return std::to_string(static_cast<std::int32_t>(w(k))); };
        std::uint32_t length = OpcodeBytes(static_cast<TOpcode>(op));
        switch (static_cast<TOpcode>(op)) {
            case Op_Push:
            case Op_Push_Deref: text += " " + ValueOperand(info, pos); break;
            case Op_PushString:
                length = 8 + w(1);
                text += " \"" + Printable(reinterpret_cast<const char*>(info.code() + pos + 8)) + "\"";
                break;
            case Op_SMemberValPtr:
            case Op_LocalValPtr:
            case Op_ArgValPtr:
            case Op_LocalValPtr_Deref:
            case Op_ArgValPtr_Deref:
            case Op_Jump:
            case Op_JumpZero:
            case Op_Jump_And:
            case Op_Jump_Or:
            case Op_DoForIn: text += " " + s(1); break;
            case Op_PushThis_SMemberValPtr:
            case Op_PushThis_SMemberValPtr_Deref: text += " " + s(2); break;
            case Op_DMemberValPtr:
            case Op_DMemberValPtr_Deref: text += " " + SymbolName(static_cast<std::int32_t>(w(1))); break;
            case Op_DCall: text += " " + s(1) + "," + SymbolName(static_cast<std::int32_t>(w(2))); break;
            case Op_SCall: text += " " + s(1) + "," + s(2); break;
            case Op_SuperCall:
            case Op_NativeCall: text += " " + s(1) + "," + FunctionName(w(2)); break;
            case Op_Constructor: text += " " + s(1) + "," + ClassName(w(2)); break;
            case Op_Is: text += " " + ClassName(w(1)); break;
            default: break;
        }
        out += text;
        pos += length;
    }
    return out;
}

std::vector<std::uint32_t> Words(const TCompiledInfo& info, bool unfuse) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t at = 0; at + 4 <= info.size(); at += 4) words.push_back(info.word(at));
    if (!unfuse) return words;
    std::uint32_t pos = 0;
    while (pos + 4 <= info.size()) {
        std::uint32_t op = info.word(pos);
        if (IsFused(op)) {
            op = static_cast<std::uint32_t>(FirstPart(static_cast<TOpcode>(op)));
            words[pos / 4] = op;
        }
        if (op == static_cast<std::uint32_t>(Op_PushString)) pos += 8 + info.word(pos + 4);
        else pos += IsOpcode(op) ? OpcodeBytes(static_cast<TOpcode>(op)) : 4;
    }
    return words;
}

const TCompiledInfo& MethodCode(const TRTTI& cls, std::string_view name) {
    const TFunction* function = cls.MethodByName(name);
    if (function == nullptr || !function->isByteCode() ||
        static_cast<const TNormalFunction*>(function)->Code() == nullptr) {
        ADD_FAILURE() << "no compiled method " << name;
        static const TCompiledInfo empty({}, {});
        return empty;
    }
    return *static_cast<const TNormalFunction*>(function)->Code();
}

}  // namespace varno::test
