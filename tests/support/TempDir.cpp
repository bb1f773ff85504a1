#include "support/TempDir.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace Tavrolin::Fill::Test {

namespace {

void removeAll(const std::string& folder) {
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string p = folder + "/" + name;
            struct stat info {};
            if (lstat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                removeAll(p);
            else
                std::remove(p.c_str());
        }
        closedir(d);
    }
    rmdir(folder.c_str());
}

}  // namespace

void TempDirTest::SetUp() {
    std::string pattern = "/tmp/" + mPrefix + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr) << "cannot make a folder " << pattern;
    dir = name.data();
}

void TempDirTest::TearDown() {
    if (!dir.empty()) removeAll(dir);
}

std::set<std::string> TempDirTest::files() const {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

}  // namespace Tavrolin::Fill::Test
