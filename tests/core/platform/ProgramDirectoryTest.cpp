#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/ProgramDirectory.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace loom {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

TEST(ProgramDirectory, ResolvesExplicitThenEnvironmentThenPortableThenUserData) {
    test::TempDir dir;
    const fs::path withForms = dir.path("forms"), withKey = dir.path("key"),
                   plain = dir.path("plain");
    fs::create_directories(withForms / "FORMS");
    fs::create_directories(withKey);
    dir.write("key/LOGIN.KEY", {});
    fs::create_directories(plain / "forms");  // names are exact
    dir.write("plain/FILES", {});             // a file is not the folder

    const ScopedEnv data("XDG_DATA_HOME", dir.path("data"));
    const fs::path userData = fs::path(dir.path("data")) / "loomcraft";
    using Origin = ProgramDirectory::Origin;
    struct Case {
        std::string explicitHome;
        const char* environment;
        fs::path executable;
        fs::path expected;
        Origin origin;
    };
    const Case cases[] = {
        {"/opt/x", "/env", withForms / "app", "/opt/x", Origin::Explicit},
        {"", "/env", withForms / "app", "/env", Origin::Environment},
        {"", "", withForms / "app", withForms, Origin::Executable},
        {"", nullptr, withKey / "app", withKey, Origin::Executable},
        {"", nullptr, plain / "app", userData, Origin::UserData},
        {"", nullptr, fs::path(), userData, Origin::UserData},
    };
    for (const Case& c : cases) {
        Origin origin{};
        EXPECT_EQ(
            ProgramDirectory::resolve(c.explicitHome, c.environment, c.executable, &origin).root(),
            c.expected)
            << c.explicitHome << " | " << (c.environment ? c.environment : "(unset)") << " | "
            << c.executable;
        EXPECT_EQ(origin, c.origin) << c.expected;
    }
}

}  // namespace
}  // namespace loom
