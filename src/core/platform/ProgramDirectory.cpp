#include "platform/ProgramDirectory.h"

#include <cstdlib>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace loom {

bool ProgramDirectory::holdsProgramData(const std::filesystem::path& folder) {
    std::error_code ec;
    if (std::filesystem::exists(folder / "LOGIN.KEY", ec)) return true;
    for (ProgramFolder f : ProgramDirectory::kFolders)
        if (std::filesystem::is_directory(folder / ProgramDirectory::folderName(f), ec))
            return true;
    return false;
}

std::string_view ProgramDirectory::folderName(ProgramFolder which) {
    switch (which) {
        case ProgramFolder::Forms:
            return "FORMS";
        case ProgramFolder::Files:
            return "FILES";
        case ProgramFolder::Index:
            return "INDEX";
        case ProgramFolder::Pictures:
            return "PICTURES";
        case ProgramFolder::Help:
            return "HELP";
        case ProgramFolder::Log:
            return "LOG";
        case ProgramFolder::Convert:
            return "Convert";
    }
    return "";
}

ProgramDirectory ProgramDirectory::resolve(std::string_view explicitHome,
                                           const char* environmentHome,
                                           const std::filesystem::path& executable,
                                           Origin* origin) {
    Origin ignored{};
    Origin& from = origin ? *origin : ignored;
    from = Origin::Explicit;
    if (!explicitHome.empty()) return ProgramDirectory(std::filesystem::path(explicitHome));
    from = Origin::Environment;
    if (environmentHome && *environmentHome)
        return ProgramDirectory(std::filesystem::path(environmentHome));
    from = Origin::Executable;
    if (!executable.empty()) {
        std::filesystem::path folder = executable.parent_path();
        if (!folder.empty() && holdsProgramData(folder)) return ProgramDirectory(folder);
    }
    from = Origin::UserData;
    return ProgramDirectory(userDataDirectory());
}

std::filesystem::path ProgramDirectory::executablePath() {
#if defined(_WIN32)
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::filesystem::path(buffer.substr(0, n));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
#elif defined(__linux__)
    std::error_code ec;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
#else
    return {};
#endif
}

std::filesystem::path ProgramDirectory::userDataDirectory() {
#if defined(_WIN32)
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return std::filesystem::path(local) / "Loomcraft";
    return std::filesystem::path(L"Loomcraft");
#else
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "loomcraft";
    std::filesystem::path home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
        home = entry->pw_dir;
    }
    return home / ".local" / "share" / "loomcraft";
#endif
}

}  // namespace loom
