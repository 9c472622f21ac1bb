// Writing and reading compiled class files; the reader treats its input as untrusted.
#include "runtime/ClassFile.h"

#include <chrono>
#include <system_error>

#include "base/Error.h"
#include "runtime/ByteStream.h"
#include "runtime/CodeVerifier.h"
#include "runtime/Hooks.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/Symbols.h"

namespace varno {

namespace {

// "はありません。" (there is no such class) in the system's Shift-JIS text.
constexpr const char* kNoSuchClass = "\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";

[[noreturn]] void ThrowBroken(const TRTTI& cls) {
    throw EVarno(GetMsg("Class File") + cls.Name() + GetMsg(" is broken"));
}

// Steps 4 to 7 of reading: members, methods, class code, re-linking.
void ReadBody(TRTTI& cls, TByteReader& in, const std::function<void(TCompiledInfo&, TRTTI&)>& relink) {
    for (const std::string& name : in.readTextList()) {
        const std::int32_t symbol = Intern(name);
        if (cls.Members().indexOf(symbol) < 0) cls.Members().addSymbol(symbol);
    }
    const std::int32_t methodCount = in.readCount(8);  // a method is at least two texts
    for (std::int32_t i = 0; i < methodCount; ++i) {
        const std::string kind = in.readText();
        const std::string name = in.readText();
        TFunction* function = NewFunctionOfKind(kind, &cls, Intern(name));
        if (function == nullptr) ThrowBroken(cls);
        try {
            function->Load(in);
        } catch (...) {
            delete function;
            throw;
        }
        cls.AddOrReplaceMethod(function);
    }
    std::unique_ptr<TCompiledInfo> code = ReadCompiledInfo(in);
    VerifyCode(*code, 0);
    cls.SetCode(std::move(code));
    if (in.remaining() != 0) throw EBrokenData("bytes after the class code");

    for (TFunction* function : std::vector<TFunction*>(cls.Methods())) {
        if (function->Owner() == &cls && function->isByteCode()) {
            relink(*static_cast<TNormalFunction*>(function)->Code(), cls);
        }
    }
    relink(*cls.Code(), cls);
}

}  // namespace

std::string WriteClassFile(const TRTTI& cls, std::int32_t sourceAge) {
    TByteWriter out;
    out.writeInt32(kClassFileVersion);
    out.writeInt32(sourceAge);
    const TRTTI* super = cls.SuperClass();
    out.writeText(super != nullptr ? FullName(*super) : std::string());

    std::vector<std::string> members;
    for (int i = 0; i < cls.Members().count(); ++i) {
        if (super == nullptr || super->Members().indexOf(cls.Members().symbolAt(i)) < 0) {
            members.push_back(cls.Members().nameAt(i));
        }
    }
    out.writeTextList(members);

    std::vector<const TFunction*> own;
    for (const TFunction* function : cls.Methods()) {
        if (function->Owner() == &cls) own.push_back(function);
    }
    out.writeInt32(static_cast<std::int32_t>(own.size()));
    for (const TFunction* function : own) function->Save(out);

    if (cls.Code() != nullptr) {
        WriteCompiledInfo(*cls.Code(), out);
    } else {
        WriteCompiledInfo(TCompiledInfo({}, {}), out);
    }
    return out.bytes();
}

bool ReadClassFile(TRTTI& cls, std::string_view bytes, std::int32_t sourceAge) {
    TByteReader in(bytes);
    std::string superName;
    try {
        if (in.readInt32() != kClassFileVersion) return false;
        if (in.readInt32() != sourceAge) return false;
        superName = in.readText();
    } catch (const EBrokenData&) {
        ThrowBroken(cls);
    }
    TRTTI* super = nullptr;
    if (!superName.empty()) {
        super = FindClass(superName);
        if (super == nullptr) throw EVarno(GetMsg("SuperClass") + superName + kNoSuchClass);
        cls.SetSuperClass(super);
        if (!super->Compiled()) return false;
    }
    const auto relink = RuntimeHooks().relink;
    if (!relink) return false;  // a block that cannot be linked must not run

    try {
        if (super != nullptr) {
            cls.InheritMethods();
            cls.InheritMembers();
        }
        ReadBody(cls, in, relink);
    } catch (const EBrokenData&) {
        cls.Reset();
        ThrowBroken(cls);
    } catch (...) {
        cls.Reset();
        throw;
    }
    cls.SetCompiled(true);
    return true;
}

std::int32_t SourceStamp(const std::filesystem::path& file) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(file, error);
    if (error) return 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)));
}

}  // namespace varno
