// Path operations on system paths (backslashes, any letter case), the program and resource base directories.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

// System paths are Windows-style texts: the separator is the backslash, and an absolute
// path begins with a backslash ("\home\ann\varno\Kernel") or with a drive ("C:\x").
// Letter case is ignored in every comparison. These operations work on the text only;
// HostPath (base/Path.h) turns a system path into a host path when a file is opened.

// A host path as a system path: slashes become backslashes, UTF-8 becomes Shift-JIS.
std::string SystemPath(const std::filesystem::path& hostPath);

// Begins with a letter, a colon and a backslash, or with a backslash; "" is not absolute.
bool IsAbsolutePath(std::string_view p);

// p without one trailing backslash.
std::string StripSlash(std::string_view p);

// p without its last component and without a trailing backslash; "" for a bare drive.
std::string ParentDir(std::string_view p);

// path taken relative to base: "" for "", an absolute path unchanged, "" when base is
// empty; otherwise base's components followed by path's, ".." stepping up, "." skipped.
std::string ResolvePath(std::string_view path, std::string_view base);

// a is dir, or lies below it.
bool IsWithin(std::string_view a, std::string_view dir);

// The deepest directory holding both; "" when either is "".
std::string CommonAncestor(std::string_view a, std::string_view b);

// An absolute path relative to base ("..\y\f.varno"); the whole path when the two share
// no directory; a relative path (or "") unchanged.
std::string RelativePath(std::string_view path, std::string_view base);

// Equal after StripSlash, ignoring case.
bool SamePath(std::string_view a, std::string_view b);

// The file name of p without its last extension.
std::string BaseName(std::string_view p);

// The directory part of a file's path (ParentDir).
inline std::string DirectoryOf(std::string_view file) { return ParentDir(file); }

// An absolute path with every "." and ".." component worked out ("\a\b\..\c" is "\a\c").
std::string NormalizePath(std::string_view p);

// The program directory (holding Kernel, Usr and Temp) as a system path.
std::string ProgramDirectory();

// The directory against which resource texts read from memory resolve their src
// attributes and against which writers make paths relative. Start-up sets it to the
// program directory; a project load sets it for its time; a page load leaves it at the
// page's directory.
const std::string& ResourceBaseDir();
void SetResourceBaseDir(std::string dir);

// Keeps the resource base directory for a scope and restores it afterwards.
class TResourceBaseScope {
public:
    explicit TResourceBaseScope(std::string dir);
    ~TResourceBaseScope();
    TResourceBaseScope(const TResourceBaseScope&) = delete;
    TResourceBaseScope& operator=(const TResourceBaseScope&) = delete;

private:
    std::string m_saved;
};

// The compiled-class cache name of a source: its path relative to the program
// directory, each ".." as "@" and everything but "@", ASCII letters, digits and "_"
// removed, after prefix, in the Temp directory under the program directory (created
// when missing). The name never holds a separator, so it always lies in Temp.
std::string TempName(std::string_view path, std::string_view prefix);

// Writes go only below the program directory, the resource base directory and the
// directories registered here (the open project's). The check is on the normalized text.
void AddWritableRoot(std::string dir);
void RemoveWritableRoot(std::string_view dir);
bool IsWritablePath(std::string_view path);

// A listing of one search pattern (a directory path followed by "\*"): the names of the
// files that match the wildcard, and of every subdirectory except "." and "..", each
// sorted by name so that the order does not depend on the file system.
struct TDirectory {
    std::vector<std::string> Files;
    std::vector<std::string> Dirs;
};
TDirectory ListDirectory(std::string_view pattern);

}  // namespace varno
