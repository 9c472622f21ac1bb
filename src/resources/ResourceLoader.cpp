// The tag table, reading resource files and texts into nodes, link, and the by-name operations.
#include "resources/ResourceLoader.h"

#include <algorithm>
#include <map>
#include <vector>

#include "base/MessageBox.h"
#include "base/Path.h"
#include "resources/CustomResource.h"
#include "resources/FileOpenError.h"
#include "resources/GlobalValue.h"
#include "resources/MarkupError.h"
#include "resources/MarkupFile.h"
#include "resources/ModuleRes.h"
#include "resources/ResourceList.h"
#include "resources/ResourceTree.h"
#include "resources/SGML.h"
#include "resources/SystemPath.h"
#include "runtime/Hooks.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"

namespace varno {
namespace {

std::map<std::string, TResourceFactory>& Factories() {
    static std::map<std::string, TResourceFactory> factories;
    return factories;
}

// The files being read through link, innermost last: a file that links itself would
// otherwise recurse until the stack is gone.
std::vector<std::string>& OpenFiles() {
    static std::vector<std::string> files;
    return files;
}

// Links nest at most this deep: a chain of files each linking the next is read that far.
constexpr std::size_t kMaxLinkDepth = 64;

class TOpenFileScope {
public:
    explicit TOpenFileScope(const std::string& path) {
        if (OpenFiles().size() >= kMaxLinkDepth) throw EMarkupError(path + ": links are nested too deeply.");
        const std::string normal = NormalizePath(path);
        for (const std::string& open : OpenFiles()) {
            if (SamePath(open, normal)) throw EMarkupError(path + ": the file links itself.");
        }
        OpenFiles().push_back(normal);
    }
    ~TOpenFileScope() { OpenFiles().pop_back(); }
    TOpenFileScope(const TOpenFileScope&) = delete;
    TOpenFileScope& operator=(const TOpenFileScope&) = delete;
};

bool IsOwnTag(std::string_view tag) {
    return tag == "resourcelist" || tag == "classlist" || tag == "class" || tag == "globalvalue" || tag == "link" ||
           tag == "param" || tag == "module";
}

std::unique_ptr<TResource> BuildFolder(const TSGML& element, std::string name, std::string src,
                                       std::string_view baseDir) {
    auto folder = std::make_unique<TResourceList>(std::move(name), std::move(src));
    for (int i = 0; i < element.ChildCount(); ++i) {
        folder->AddChild(BuildResource(element.Child(i), baseDir));  // a null child is skipped
    }
    return folder;
}

std::unique_ptr<TResource> BuildFromText(const std::string& text, std::string_view baseDir, std::string_view source) {
    const std::unique_ptr<TSGML> element = ReadResourceElement(text, source);
    std::unique_ptr<TResource> node = BuildResource(*element, baseDir);
    if (!node) throw EMarkupError(std::string(source) + ": " + element->GetTagName() + GetMsg(": Invalid Tag Name"));
    return node;
}

// The parent part and the last part of a dotted name.
std::pair<std::string, std::string> SplitLast(std::string_view dottedName) {
    const std::size_t dot = dottedName.rfind('.');
    if (dot == std::string_view::npos) return {std::string(), std::string(dottedName)};
    return {std::string(dottedName.substr(0, dot)), std::string(dottedName.substr(dot + 1))};
}

// Creates a file that AddByName needs, when it is missing and may be written.
void CreateIfMissing(const std::string& path, const std::vector<std::string>& lines) {
    const std::string resolved = ResolvePath(path, ResourceBaseDir());
    std::error_code error;
    if (resolved.empty() || std::filesystem::exists(HostPath(resolved), error)) return;
    if (!IsWritablePath(resolved)) {
        ShowMessage(resolved + GetMsg(" Cannot be saved."));
        return;  // reading it then reports the missing file
    }
    std::filesystem::create_directories(HostPath(ParentDir(resolved)), error);
    WriteTextFile(resolved, lines);
}

}  // namespace

void RegisterResourceKind(std::string tag, TResourceFactory factory) {
    if (IsOwnTag(tag)) return;
    Factories()[std::move(tag)] = std::move(factory);
}

std::unique_ptr<TResource> BuildResource(const TSGML& element, std::string_view baseDir) {
    const std::string& tag = element.GetTagName();
    std::string name = element.GetAttr("name");
    std::string src = ResolvePath(element.GetAttr("src"), baseDir);
    if (tag == "resourcelist" || tag == "classlist") return BuildFolder(element, std::move(name), std::move(src), baseDir);
    if (tag == "class") return std::make_unique<TRTTI>(std::move(name), std::move(src), element.GetAttr("category"));
    if (tag == "globalvalue") return std::make_unique<TGlobalValue>(std::move(name), std::move(src), element.GetAttr("value"));
    if (tag == "link") return LoadResourceFile(src);
    if (tag == "param") return std::make_unique<TfParam>(std::move(name), std::move(src), element.GetAttr("value"));
    if (tag == "module") return std::make_unique<TModuleRes>(std::move(name), std::move(src));
    if (const auto it = Factories().find(tag); it != Factories().end()) return it->second(element, std::move(name), std::move(src));
    if (!tag.empty() && FindClass("classes.customres." + tag) != nullptr) {
        return std::make_unique<TCustomResource>(element, std::move(name), std::move(src));
    }
    ShowMessage(tag + GetMsg(": Invalid Tag Name"));
    return nullptr;
}

std::unique_ptr<TResource> LoadResourceFile(std::string_view path) {
    const std::string resolved = ResolvePath(path, ResourceBaseDir());
    const std::string file = resolved.empty() ? std::string(path) : resolved;
    TOpenFileScope open(file);
    const std::string text = ReadTextFile(file);
    std::unique_ptr<TResource> node = BuildFromText(text, ParentDir(file), file);
    node->SetSrc(file);
    return node;
}

std::unique_ptr<TResource> ReadResourceText(const std::string& text) {
    return BuildFromText(text, ResourceBaseDir(), "resource text");
}

TResource* AddByName(std::string_view path, std::string_view dottedName, TAddKind kind) {
    const auto [parentName, last] = SplitLast(dottedName);
    const std::string escapedPath = EscapeAttr(path);
    std::string text;
    switch (kind) {
        case TAddKind::Folder:
            text = "<resourcelist name=\"" + EscapeAttr(last) + "\"></resourcelist>";
            break;
        case TAddKind::GlobalValue:
            text = "<globalvalue name=\"" + EscapeAttr(last) + "\" value=\"0\">";
            break;
        case TAddKind::Class:
            CreateIfMissing(std::string(path), {"extends classes.lang.Object;"});
            text = "<class src=\"" + escapedPath + "\">";
            break;
        case TAddKind::LinkedFile:
            CreateIfMissing(std::string(path), {"<resourcelist name=\"" + EscapeAttr(last) + "\">", "</resourcelist>"});
            text = "<link src=\"" + escapedPath + "\">";
            break;
    }
    std::unique_ptr<TResource> node = ReadResourceText(text);
    node->SetName(last);
    node->SetSrc(std::string(path));
    TResource* parent = FindResource(parentName);
    if (parent == nullptr) return nullptr;
    TResource* raw = node.get();
    parent->AddChild(std::move(node));
    return raw->Parent() == parent ? raw : nullptr;
}

void InsertByName(std::string_view dottedName, std::unique_ptr<TResource> folder) {
    if (!folder) return;
    const auto [parentName, last] = SplitLast(dottedName);
    folder->SetName(last);
    if (TResource* parent = FindResource(parentName)) parent->AddChild(std::move(folder));
}

void DeleteByName(std::string_view dottedName) {
    const auto [parentName, last] = SplitLast(dottedName);
    TResource* parent = FindResource(parentName);
    if (parent == nullptr) return;
    if (TResource* node = FindResource(dottedName)) parent->RemoveChild(node);
}

void SaveResource(TResource& node) {
    if (node.Src().empty()) {
        ShowMessage(FullName(node) + GetMsg(" Cannot be saved."));
        return;
    }
    if (!IsWritablePath(node.Src())) {
        ShowMessage(node.Src() + GetMsg(" Cannot be saved."));
        return;
    }
    TLines lines;
    node.WriteTo(lines, "");
    WriteTextFile(node.Src(), lines);
}

void SaveByName(std::string_view dottedName) {
    if (TResource* node = FindResource(dottedName)) SaveResource(*node);
}

void InstallResourceHooks() {
    TRuntimeHooks& hooks = RuntimeHooks();
    hooks.rootFallback = [](std::string_view name) { return FindOrMakeGlobal(name); };
    hooks.readResourceText = [](const std::string& text) { return ReadResourceText(text); };
    hooks.relativeSource = [](const std::string& src) { return RelativePath(src, ResourceBaseDir()); };
}

}  // namespace varno
