#pragma once
// An installation of a whole-folder release 1.0.0 laid out as an installer lays it out (the
// launcher, `current`, app-1.0.0 with the sample host v1), with files the user added, and
// packages of release 2.0.0 for it.

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/release/release_fixture.h"
#include "tests/support/process.h"
#include "updater/install/close_programs.h"
#include "updater/install/folder_holders.h"
#include "updater/install/install.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/update_log.h"

inline std::string SignedManifest(const std::vector<ReleaseFile>& files, const std::string& version,
                                  const Ed25519Seed& key) {
    std::string xml = ManifestXml(files, "<dir path=\"logs\"/>\n");
    xml.replace(xml.find("product=\"Sample\" version=\"2.0\""), 30,
                "product=\"Feed Test Host\" version=\"" + version + "\"");
    return Signed(key, xml);
}

inline std::vector<ReleaseFile> Release(const wchar_t* host, const std::string& changing) {
    return {{"App.exe", ReadWholeFile(ProgramFolder() + host)},
            {"updater.exe", "updater of every release"},
            {"plugins/audio/codec.dll", std::string(90000, 'c')},
            {"data/empty.bin", ""},
            {"data/changing.txt", changing},
            {"tools/helper.exe", ReadWholeFile(ProgramFolder() + L"host_app_v1.exe")},
            {"plugins/host_plugin.dll", ReadWholeFile(ProgramFolder() + L"host_plugin.dll")},
            {"data/user.cfg", "the release's own settings"}};  // last: the user's own in 1.0.0
}

// An installation of release 1.0.0 as an installer lays it out, with files the user added.
struct Installed {
    ScratchFolder scratch{L"package-install"};
    std::wstring root = scratch.Path() + L"root";
    std::wstring launcher = root + L"\\App.exe";
    std::wstring live = root + L"\\app-1.0.0";
    std::wstring next = root + L"\\app-2.0.0";

    explicit Installed(const Ed25519Seed& key) {
        std::vector<ReleaseFile> files = Release(L"host_app_v1.exe", "one");
        files.erase(files.end() - 1);  // the user's data/user.cfg is theirs in 1.0.0
        CreateFoldersAlong(scratch.Path(), L"root/app-1.0.0/logs/x");
        for (const ReleaseFile& file : files) {
            CreateFoldersAlong(live, FromUtf8(file.path));
            WriteWholeFile(ReleasePath(live, FromUtf8(file.path)), file.content);
        }
        const std::string manifest = SignedManifest(files, "1.0.0", key);
        WriteWholeFile(live + L"\\.upd-manifest", manifest);
        CopyFileW((ProgramFolder() + L"launcher.exe").c_str(), launcher.c_str(), FALSE);
        ReleasePointer pointer{L"app-1.0.0", {}};
        Sha256 hash;
        hash.Update(manifest.data(), manifest.size());
        hash.Finish(pointer.manifestSha256);
        WriteWholeFile(root + L"\\current", FormatReleasePointer(pointer));
        for (const auto& [path, content] : UserFiles()) WriteWholeFile(ReleasePath(live, path), content);
    }
    ~Installed() {
        InstallTimings quick;
        CloseHolders(FindFolderHolders(root, launcher), quick);
    }

    static std::vector<std::pair<std::wstring, std::string>> UserFiles() {
        return {{L"notes.txt", "mine"}, {L"plugins/audio/extra.dll", "MZ a plug-in"}, {L"data/user.cfg", "my settings"}};
    }

    std::wstring Package(const std::string& manifest, const std::vector<ReleaseFile>& files) const {
        const std::vector<uint8_t> zip = PackageZip(manifest, files);
        const std::wstring path = scratch.Path() + L"package.zip";
        WriteWholeFile(path, std::string(zip.begin(), zip.end()));
        return path;
    }

    std::wstring Current() const {
        ReleasePointer pointer;
        return ReadCurrent(root, pointer) ? pointer.folder : L"";
    }
};

