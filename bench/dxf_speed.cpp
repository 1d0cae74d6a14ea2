// DXF reading and writing speed: a drawing of 200,000 lines (about 32 MB)
// and a drawing of 192 watermarks of 256 clones each, written by hostsim (as
// text in memory and as a file) and read back, and the same files read by
// ezdxf (Debian's python3-ezdxf) for comparison. Prints MB/s, the ratio to
// ezdxf, and the memory a loaded drawing takes against its file size.
//
//   bench_dxf_speed [folder-for-the-files] [--no-ezdxf] [--lines N]
//                   [--only lines|marks] [--rounds N] [--file DRAWING.dxf]
//                   [--keep]
//
// --rounds sets the reads per drawing (the first, then the best of the
// others); --only and --rounds help profiling. --file measures reading a
// drawing of your own instead of the two made here; --keep leaves the
// drawings made here in the folder.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "core/os.h"
#include "db/pool.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Heap in use, less what hostsim's record pools hold free for reuse: a
// drawing read into records freed earlier takes that memory as much as new.
size_t heapInUse() {
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd + hs::poolMappedBytes() - hs::poolFreeBytes();
}

void appendAll(AcDbDatabase* pDb, const std::vector<AcDbEntity*>& ents) {
    AcDbBlockTableRecord* pMs = nullptr;
    acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite);
    for (AcDbEntity* pEnt : ents) {
        pMs->appendAcDbEntity(pEnt);
        pEnt->close();
    }
    pMs->close();
}

AcDbDatabase* linesDrawing(int count) {
    AcDbDatabase* pDb = new AcDbDatabase(true, true);
    std::vector<AcDbEntity*> ents;
    ents.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        double x = (i % 1000) * 1.37 + 0.123456789;
        double y = (i / 1000) * 2.71 + 0.987654321;
        ents.push_back(new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 1.0 / 3.0, y + 2.0 / 7.0, 0)));
    }
    appendAll(pDb, ents);
    return pDb;
}

AcDbDatabase* watermarkDrawing(int watermarks, int clones) {
    AcDbDatabase* pDb = new AcDbDatabase(true, true);
    std::vector<AcDbEntity*> ents;
    for (int w = 0; w < watermarks; ++w) {
        QWK_WaterMark* pWm = new QWK_WaterMark();
        for (int c = 0; c < clones; ++c) {
            double x = w * 10.0 + (c % 16) * 0.5, y = (c / 16) * 0.5;
            if (c % 2 == 0) {
                AcDbLine line(AcGePoint3d(x, y, 0), AcGePoint3d(x + 0.4, y + 0.3, 0));
                pWm->set_pEntity(&line);
            } else {
                AcDbCircle circle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, 0.2);
                pWm->set_pEntity(&circle);
            }
        }
        pWm->set_ColorIndex(8);
        ents.push_back(pWm);
    }
    appendAll(pDb, ents);
    return pDb;
}

// Seconds ezdxf takes to read the file, or a negative number.
double ezdxfRead(const std::string& path) {
    std::string cmd =
        "/usr/bin/python3 -c \"import ezdxf, time, sys; t = time.perf_counter(); "
        "ezdxf.readfile(sys.argv[1]); print(time.perf_counter() - t)\" '" +
        path + "' 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr)
        return -1;
    double s = -1;
    if (std::fscanf(p, "%lf", &s) != 1)
        s = -1;
    pclose(p);
    return s;
}

int g_rounds = 3;
bool g_keep = false;  // keep the drawings written for ezdxf

// Opens the file at `path` (the same text), reads the text g_rounds - 1
// times more and prints the speed, then has ezdxf read the file. writeS and saveS (writing the text in memory
// and as a file) are < 0 when the text was not written here.
void measureRead(const char* name, const std::string& text, double writeS, double saveS,
                 const std::string& path, bool withEzdxf) {
    double mb = text.size() / 1e6;
    // The first read opens the file, as a user's drawing is opened: reading
    // the file is timed too, and the memory for the drawing is new to the
    // process. Later reads read the text already in memory and may reuse the
    // memory of the drawing read before (hostsim keeps its record pools), so
    // the best of them is printed apart. The memory is measured on the first.
    // Processor time is printed too: on a busy machine the wall clock also
    // counts the time other programs had.
    double firstS = 0, firstCpu = 0, bestS = 1e9;
    size_t loaded = 0;
    for (int round = 0; round < g_rounds; ++round) {
        malloc_trim(0);
        size_t before = heapInUse();
        AcDbDatabase* pRead = nullptr;
        auto t1 = std::chrono::steady_clock::now();
        std::clock_t c1 = std::clock();
        hs::DxfResult r = round == 0 ? hs::readDxfFile(path, pRead) : hs::readDxfText(text, pRead);
        double s = seconds(t1);
        double cpu = static_cast<double>(std::clock() - c1) / CLOCKS_PER_SEC;
        if (!r.ok) {
            std::printf("%s: reading failed: %s\n", name, r.message.c_str());
            return;
        }
        if (round == 0) {
            loaded = heapInUse() - before;
            firstS = s;
            firstCpu = cpu;
        } else {
            bestS = std::min(bestS, s);
        }
        delete pRead;
    }
    std::string written;
    if (writeS >= 0) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "write %7.3f s %8.1f MB/s (to a file %.3f s, %.1f MB/s)   ", writeS,
                      mb / writeS, saveS, mb / saveS);
        written = buf;
    }
    std::printf(
        "%-28s %8.1f MB   %sopen %7.3f s %8.1f MB/s (processor time %.3f s, "
        "%.1f MB/s)   memory %.2f x file\n",
        name, mb, written.c_str(), firstS, mb / firstS, firstCpu, mb / firstCpu,
        static_cast<double>(loaded) / text.size());
    if (g_rounds > 1)
        std::printf("%-28s read again from memory, best of %d: %7.3f s %8.1f MB/s\n", "", g_rounds - 1, bestS,
                    mb / bestS);
    if (withEzdxf) {
        double ez = ezdxfRead(path);
        if (ez > 0)
            std::printf("%-28s ezdxf read %7.3f s %8.1f MB/s   hostsim is %.1f x faster\n", "", ez, mb / ez,
                        ez / firstS);
        else
            std::printf("%-28s ezdxf could not be run\n", "");
    }
}

void measure(const char* name, AcDbDatabase* pDb, const std::string& folder, bool withEzdxf) {
    auto t0 = std::chrono::steady_clock::now();
    std::string text;
    hs::DxfResult w = hs::writeDxfText(pDb, text);
    double writeS = seconds(t0);
    if (!w.ok) {
        std::printf("%s: writing failed: %s\n", name, w.message.c_str());
        return;
    }
    std::string path = folder + "/" + name + ".dxf";
    auto t1 = std::chrono::steady_clock::now();
    hs::DxfResult f = hs::writeDxfFile(path, pDb);
    double saveS = seconds(t1);
    if (!f.ok) {
        std::printf("%s: saving failed: %s\n", name, f.message.c_str());
        return;
    }
    measureRead(name, text, writeS, saveS, path, withEzdxf);
    if (!g_keep)
        std::remove(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = "/tmp";
    bool withEzdxf = true;
    int lines = 200000;
    std::string only, file;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--no-ezdxf")
            withEzdxf = false;
        else if (a == "--lines" && i + 1 < argc)
            lines = std::atoi(argv[++i]);
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--keep")
            g_keep = true;
        else if (a == "--file" && i + 1 < argc)
            file = argv[++i];
        else if (a == "--rounds" && i + 1 < argc)
            g_rounds = std::max(1, std::atoi(argv[++i]));
        else
            folder = a;
    }
    hs::Session& s = hs::Session::get();
    s.startCapture(/*alsoToStdout=*/false);
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();

    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        std::string text(in ? static_cast<size_t>(in.tellg()) : 0, '\0');
        in.seekg(0);
        if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
            std::printf("%s: cannot be read\n", file.c_str());
            return 1;
        }
        measureRead(hs::os::baseName(file).c_str(), text, -1, -1, file, withEzdxf);
        return 0;
    }
    if (only.empty() || only == "lines") {
        AcDbDatabase* pLines = linesDrawing(lines);
        measure((std::to_string(lines) + " lines").c_str(), pLines, folder, withEzdxf);
        delete pLines;
    }
    if (only.empty() || only == "marks") {
        AcDbDatabase* pMarks = watermarkDrawing(192, 256);
        measure("192 watermarks x 256 clones", pMarks, folder, withEzdxf);
        delete pMarks;
    }
    return 0;
}
