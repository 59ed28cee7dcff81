// Times the steps of an accepted Next one by one along the page's own path, after a stage 17
// report as the page makes before it shows.
//
//   BenchNextSteps next SEARCH-URL DETAIL-URL FOLDER SPARE-FOLDER TEMPLATE
//     apps.ini becomes a copy of TEMPLATE (untimed); then, as Next runs them, with the wait
//     cursor where the page shows it: reach (the answer folders' order, the probe and the
//     reachability request), search (the folders tried, the folder's lock, the download into
//     loc.xml), read-search (the first answer read, which loads the XML component, inside the
//     lock), detail, read-detail, commit, stage-90. Prints "step <name> <microseconds>".
//   BenchNextSteps commit TEMPLATE...
//     For each template: apps.ini becomes a copy of it (untimed), then commitProfile is timed;
//     prints "commit <bytes> <microseconds>".
#include "app/Controls.h"
#include "app/PlaceFinding.h"
#include "beacon/StageBeacon.h"
#include "location/LocationSearchResult.h"
#include "location/SetupProfile.h"
#include "settings/AppsIni.h"
#include "settings/ProfileCommit.h"
#include "web/AnswerFiles.h"
#include "web/WebClient.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
class StepClock {
public:
    StepClock() { QueryPerformanceFrequency(&frequency_); }

    long long micros() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart * 1000000 / frequency_.QuadPart;
    }
    template <class Step> void time(const char* name, Step step) const {
        const long long start = micros();
        step();
        print(name, micros() - start);
    }
    static void print(const char* name, long long micros) {
        std::printf("step %s %lld\n", name, micros);
    }

private:
    LARGE_INTEGER frequency_;
};

std::string appsIniPath() {
    AppsIni ini;
    bindAppsIni(ini);
    return ini.fileName();
}

void placeAppsIni(const char* from) {
    CopyFileA(from, appsIniPath().c_str(), FALSE);
}

// One answer's download and reading as the page makes them, the reading timed on its own.
void answerStep(const StepClock& clock, const char* download, const char* read, WebClient& client,
                const std::string& url, const char* name, const std::vector<std::string>& folders,
                const Deadline& deadline, const AnswerReader& reader) {
    long long reading = 0;
    const long long start = clock.micros();
    fetchAnswerFile(client, url, name, folders, deadline, [&](const std::string& path) {
        const long long readStart = clock.micros();
        const bool ok = reader(path);
        reading = clock.micros() - readStart;
        return ok;
    });
    StepClock::print(download, clock.micros() - start - reading);
    StepClock::print(read, reading);
}

int next(char** argv) {
    const std::string search = argv[0];
    const std::string detail = argv[1];
    placeAppsIni(argv[4]);
    CoInitialize(nullptr);
    SendStage(kStageOpened, "");

    const StepClock clock;
    SetupProfile profile;
    profile.setYob("1975");
    LocationSearchResult result;
    // As app/PlaceFinding.cpp runs them: the folders' order decided once for the Next, then
    // the search under its wait cursor and deadline, then the details under theirs.
    const long long start = clock.micros();
    const std::vector<std::string> folders = answerFolders(argv[2], argv[3]);
    {
        const WaitCursor busy;
        const Deadline deadline = Deadline::after(kSearchTimeLimit);
        WebClient client(deadline);
        client.FetchToMemory(search.c_str());
        StepClock::print("reach", clock.micros() - start);
        answerStep(clock, "search", "read-search", client, search, kSearchAnswerName, folders,
                   deadline, searchReader(result));
    }
    if (result.count() == 1) {
        profile.setLocDisplayName(result.nameAt(0));
        profile.setLocID(result.idAt(0));
        profile.setLocType(result.typeAt(0));
    }
    {
        const WaitCursor busy;
        const Deadline deadline = Deadline::after(kDetailTimeLimit);
        WebClient client(deadline);
        answerStep(clock, "detail", "read-detail", client, detail, kDetailAnswerName, folders,
                   deadline, detailReader(profile));
    }
    bool saved = false;
    clock.time("commit", [&] {
        const WaitCursor busy;
        saved = commitProfile(profile).saved;
    });
    clock.time("stage-90", [&] {
        const WaitCursor busy;
        SendStage(kStageAccepted, "");
    });
    CoUninitialize();
    return result.count() == 1 && !profile.locZip().empty() && saved ? 0 : 1;
}

long long fileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int commitCurve(int count, char** argv) {
    const StepClock clock;
    SetupProfile profile;
    profile.setYob("1975");
    profile.setLocCountry("US");
    profile.setLocDisplayName("Springfield 0, XX");
    profile.setLocDMA("648");
    profile.setLocID("USXX00000");
    profile.setLocState("IL");
    profile.setLocType("1");
    profile.setLocZip("62701");
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        placeAppsIni(argv[i]);
        const long long start = clock.micros();
        ok = commitProfile(profile).saved && ok;
        std::printf("commit %lld %lld\n", fileSize(argv[i]), clock.micros() - start);
        std::fflush(stdout);
    }
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "next") == 0) {
        return next(argv + 2);
    }
    if (argc >= 3 && std::strcmp(argv[1], "commit") == 0) {
        return commitCurve(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "usage: BenchNextSteps next SEARCH-URL DETAIL-URL FOLDER SPARE-FOLDER "
                         "TEMPLATE\n       BenchNextSteps commit TEMPLATE...\n");
    return 2;
}
