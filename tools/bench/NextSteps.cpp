// Times the steps of an accepted Next one by one, in the page's order and through the
// page's own code, after a stage 17 report as the page makes before it shows:
// reachability request, search download, search answer read, detail download, detail
// answer read, profile commit, stage 90 report. Prints "step <name> <microseconds>".
// Arguments: the search URL (with the place), the detail URL, a work folder ending in "\".
#include "beacon/StageBeacon.h"
#include "beacon/StageCodes.h"
#include "location/DetailAnswer.h"
#include "location/LocationSearchResult.h"
#include "location/SearchAnswer.h"
#include "location/SetupProfile.h"
#include "settings/ProfileCommit.h"
#include "web/WebClient.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

namespace {
class StepClock {
public:
    StepClock() { QueryPerformanceFrequency(&frequency_); }

    template <class Step> void time(const char* name, Step step) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        step();
        QueryPerformanceCounter(&end);
        std::printf("step %s %lld\n", name,
                    (end.QuadPart - start.QuadPart) * 1000000 / frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
};
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: BenchNextSteps SEARCH-URL DETAIL-URL WORK-FOLDER\n");
        return 2;
    }
    const std::string search = argv[1];
    const std::string detail = argv[2];
    const std::string folder = argv[3];
    CoInitialize(nullptr);
    SendStage(kStageOpened, "");

    StepClock clock;
    SetupProfile profile;
    LocationSearchResult result;
    clock.time("reach", [&] { WebClient().FetchToMemory(search.c_str()); });
    clock.time("search", [&] { WebClient().FetchToFile(search, folder + "loc.xml"); });
    clock.time("read-search", [&] { parseSearchAnswer(folder + "loc.xml", result); });
    clock.time("detail", [&] { WebClient().FetchToFile(detail, folder + "xloc.xml"); });
    clock.time("read-detail", [&] { parseDetailAnswer(folder + "xloc.xml", profile); });
    clock.time("commit", [&] { commitProfile(profile); });
    clock.time("stage-90", [&] { SendStage(kStageAccepted, ""); });
    CoUninitialize();
    return result.count() == 1 ? 0 : 1;
}
