// The benchmarks: each figure with its baseline measured in the same run, medians over
// repetitions, and one table of ratios against the targets.
//   jotcrate_bench DATA_FOLDER [--smoke]    run everything (smoke: small data, no judging)
//   jotcrate_bench --memory FOLDER          load FOLDER's data file and print the peak memory
//   jotcrate_bench --search-memory FOLDER   the same, then search every record
//   jotcrate_bench --startup FOLDER         start as the program does over FOLDER, then exit
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchData.h"
#include "app/MainLoop.h"
#include "base/AppState.h"
#include "base/Numbers.h"
#include "base/StringTable.h"
#include "base/WholeFiles.h"
#include "core/search/CaseFold.h"
#include "core/search/SearchRecords.h"
#include "core/store/BackgroundWrites.h"
#include "core/store/Compact.h"
#include "core/store/DataFile.h"
#include "core/store/JournalFile.h"
#include "core/store/RecordDump.h"
#include "core/store/Titles.h"
#include "platform/CaseFolding.h"
#include "platform/Files.h"
#include "platform/Gui.h"
#include "platform/qt/QtPrivate.h"
#include "ui/HtmlExport.h"
#include "ui/MainWindow.h"
#include "ui/StandIns.h"
#include "ui/editor/Journal.h"
#include "ui/records/Load.h"
#include "ui/records/RecordList.h"
#include "ui/records/Records.h"

extern char** environ;

namespace {

struct Config {
    std::string big;    // folder of the full data file
    std::string small;  // folder of the 9-record data file
    std::string work;   // folder for files the benchmarks write
    std::int64_t count = kRecordLimit;
    bool smoke = false;
    std::string self;  // this program, for the measurements that need a process of their own
};
Config s_config;

void UseFolder(const std::string& folder) {
    ResetAppState();
    ResolvePaths(folder + "/jotcrate");
}

int Spawn(const std::vector<std::string>& argv, const char* output = "/dev/null") {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid;
    int status = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

void Pump() {
    QCoreApplication::processEvents();
    Event event;
    while (PollWindowEvent(&event)) Dispatch(event);
}

// Waits for the end of the load, blocking between events as the program's main loop does;
// a busy wait would take a core from the load worker.
void WaitUntilLoaded() {
    while (!g_app.loaded) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Event event;
        while (PollWindowEvent(&event)) Dispatch(event);
    }
    WaitForLoadWorker();
}

// The main window built over a folder's data file and loaded by the load worker, in the order
// of the program's own start.
void StartWindow(const std::string& folder) {
    UseFolder(folder);
    StartLoadWorker();
    BuildMainWindow();
    WaitUntilLoaded();
}

void StopWindow() {
    CloseWindow(kWindowMain);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Pump();
}

// A cold repetition begins with the full data file out of the page cache, as after a reboot or
// hours of other work (the memory reclaimer of some machines drops idle file pages within a
// minute). No root is needed: the file's own pages are dropped.
void EvictIfCold(benchmark::State& state, bool cold) {
    if (!cold) return;
    state.PauseTiming();
    int fd = open((s_config.big + "/Jotcrate.jcd").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
    }
    state.ResumeTiming();
}

void Deliver(std::vector<SelectorEntry>&& batch, void* context) { *static_cast<std::size_t*>(context) += batch.size(); }

void ListAllTitles(benchmark::State& state, bool cold) {
    UseFolder(s_config.big);
    for (auto _ : state) {
        EvictIfCold(state, cold);
        std::size_t listed = 0;
        std::int64_t selected;
        ListTitles(g_app.dataPath, s_config.count, 2048, Deliver, &listed, &selected);
        benchmark::DoNotOptimize(listed);
    }
}

void ReadSlots(benchmark::State& state, std::size_t bytes) {
    std::vector<unsigned char> buffer(kSlotSize);
    for (auto _ : state) {
        FileHandle data;
        OpenFile(s_config.big + "/Jotcrate.jcd", kOpenRead, &data);
        for (std::int64_t i = 0; i < s_config.count; ++i) ReadAt(data, i * kSlotSize, buffer.data(), bytes);
        CloseFile(&data);
        benchmark::DoNotOptimize(buffer.data());
    }
}

// The disk's floor for the listing: each slot's first page, every read announced up front.
void ReadAnnounced(benchmark::State& state) {
    unsigned char buffer[49];
    for (auto _ : state) {
        EvictIfCold(state, true);
        int fd = open((s_config.big + "/Jotcrate.jcd").c_str(), O_RDONLY | O_CLOEXEC);
        for (std::int64_t i = 0; i < s_config.count; ++i)
            posix_fadvise(fd, i * kSlotSize, sizeof buffer, POSIX_FADV_WILLNEED);
        for (std::int64_t i = 0; i < s_config.count; ++i)
            benchmark::DoNotOptimize(pread(fd, buffer, sizeof buffer, i * kSlotSize));
        close(fd);
    }
}

// A whole start of a process, until the first record is shown and the controls are enabled.
void Startup(benchmark::State& state, const std::string* folder, bool cold) {
    for (auto _ : state) {
        EvictIfCold(state, cold);
        Spawn({s_config.self, "--startup", *folder});
    }
}

void OpenList(benchmark::State& state, const std::string* folder) {
    StartWindow(*folder);
    QComboBox* selector = static_cast<QComboBox*>(GadgetWidget(kGadgetSelector));
    for (auto _ : state) {
        selector->showPopup();
        QCoreApplication::processEvents();
        state.PauseTiming();
        selector->hidePopup();
        Pump();
        state.ResumeTiming();
    }
    StopWindow();
}

void Dump(benchmark::State& state) {
    UseFolder(s_config.big);
    for (auto _ : state) benchmark::DoNotOptimize(WriteRecordDump());
}

// The whole program, copied beside the data file, where -d writes its dump: its start, the
// dump and the old dump's blocks freed.
void DumpProcess(benchmark::State& state, bool cold) {
    std::string built = s_config.self.substr(0, s_config.self.rfind('/')) + "/../";
    std::string program = s_config.big + "/jotcrate";
    CopyFileReplacing(built + "jotcrate", program);
    CopyFileReplacing(built + "jotcrate-window.so", s_config.big + "/jotcrate-window.so");
    chmod(program.c_str(), 0700);
    for (auto _ : state) {
        EvictIfCold(state, cold);
        Spawn({program, "-d"});
    }
}

void Cat(benchmark::State& state, bool cold) {
    for (auto _ : state) {
        EvictIfCold(state, cold);
        Spawn({"cat", s_config.big + "/Jotcrate.jcd"});
    }
}

void Export(benchmark::State& state, bool cold) {
    StartWindow(s_config.big);
    SetShellRecorder([](const std::vector<std::string>&) {});
    std::string page = s_config.work + "/export.html";
    for (auto _ : state) {
        state.PauseTiming();
        DeleteFile(page);
        RequesterAnswer save{};
        save.ok = true;
        save.path = page;
        ArmRequesterAnswers({save});
        state.ResumeTiming();
        EvictIfCold(state, cold);
        ExportHtml();
    }
    StopWindow();
}

// The copy made durable, as the compaction must be: the floor that the disk's write speed
// sets. It copies the file that the compaction reads next, in memory for both, and runs
// beside each compaction, so that both meet the disk in the same state: its speed here
// drifts by a fifth within a minute. In milliseconds.
std::vector<double> s_flushedCopies;

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

void TimeFlushedCopy() {
    std::string copy = s_config.work + "/copy.jcd";
    auto start = std::chrono::steady_clock::now();
    Spawn({"cp", "--sparse=never", g_app.dataPath, copy});
    Spawn({"sync", "--data", copy});
    s_flushedCopies.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    DeleteFile(copy);
    sync();
}

void Compact(benchmark::State& state) {
    CopyFileReplacing(s_config.big + "/Jotcrate.jcd", s_config.work + "/Jotcrate.jcd");
    UseFolder(s_config.work);
    for (auto _ : state) {
        state.PauseTiming();
        // The replaced file is freed outside the timing, as the baseline deletes its copy, and
        // no write of an earlier row is still on its way to the disk.
        WaitForClosesLater();
        MarkDeleted(SlotCount() / 2);
        TimeFlushedCopy();
        state.ResumeTiming();
        CompactDataFile();
    }
    WaitForClosesLater();
}

// Find in All Records over every record of the full file: a term in about 1 % of the records
// (a phone number's first digits), and one in none. The baseline greps the record dump, the
// same text already plain. A search uses what the one before learnt; the first of a run, or
// after the file was read anew, reads every record.
constexpr const char* kRareTerm = "20 12";
constexpr const char* kAbsentTerm = "zebra";
const TextRules kRules{FoldCase, IsWordPart};

void CountFound(std::vector<FoundRecord>&& found, std::size_t, void* context) {
    *static_cast<std::size_t*>(context) += found.size();
}

void FindAll(benchmark::State& state, const char* term, bool first, bool cold = false) {
    UseFolder(s_config.big);
    NoteDataFileVersion();
    std::vector<SelectorEntry> entries;
    for (std::int64_t slot = 0; slot < s_config.count; ++slot) entries.push_back({std::string(), slot});
    std::u16string text(term, term + std::char_traits<char>::length(term));
    std::atomic<bool> stop{false};
    SearchedFile file{g_app.dataPath, g_app.dataVersion, g_app.dataVersionKnown, &g_searchIndex};
    SearchTerm search{text, false, false};
    std::size_t found = 0;
    if (!first)
        SearchRecords(file, entries, SearchTerm{u"the search before", false, false}, kRules, stop, CountFound, &found);
    found = 0;
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            ForgetSearchIndex(&g_searchIndex);
            state.ResumeTiming();
        }
        EvictIfCold(state, cold);
        SearchRecords(file, entries, search, kRules, stop, CountFound, &found);
    }
    state.counters["records"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}

void GrepDump(benchmark::State& state, const char* term) {
    std::string dump = s_config.big + "/record-dump.txt";
    if (StatPath(dump).kind != kFileRegular) {
        UseFolder(s_config.big);
        WriteRecordDump();
    }
    for (auto _ : state) Spawn({"grep", "-c", "-F", "-i", term, dump});
}

// The copy alone: what the compaction's flush is added to.
void Copy(benchmark::State& state) {
    std::string copy = s_config.work + "/copy.jcd";
    for (auto _ : state) {
        Spawn({"cp", "--sparse=never", s_config.big + "/Jotcrate.jcd", copy});
        state.PauseTiming();
        DeleteFile(copy);
        sync();
        state.ResumeTiming();
    }
}

void Save(benchmark::State& state) {
    CopyFileReplacing(s_config.small + "/Jotcrate.jcd", s_config.work + "/small/Jotcrate.jcd");
    StartWindow(s_config.work + "/small");
    for (auto _ : state) {
        state.PauseTiming();
        SetEditorText(kGadgetEditor, "Edited\r\nsome text");
        state.ResumeTiming();
        SaveRecord();
    }
    StopWindow();
}

std::string FullRecord() {
    std::string record;
    while (record.size() < 31920) record += std::string(78, 'k') + "\r\n";
    return record + std::string(79, 'k');
}

// The journal of unsaved typing goes to the work folder, never beside the bench data, whose
// next start would ask about it.
void MoveJournalToWork() { g_app.journalPath = s_config.work + "/bench-journal"; }

// One key typed into a record one byte short of full, lines of 80 bytes as people write them:
// the byte limit is counted on every key, over the whole text. With the journal, each key also
// starts the pause anew; without (the baseline), it does not.
void Keystroke(benchmark::State& state, bool journal) {
    StartWindow(s_config.small);
    MoveJournalToWork();
    g_app.journalPauseMs = journal ? kJournalPauseMs : 0;
    std::string record = FullRecord();
    SetEditorText(kGadgetEditor, record);
    QWidget* editor = GadgetWidget(kGadgetEditor);
    FocusGadget(kGadgetEditor);
    SetEditorSelection(kGadgetEditor, 40, 40);
    for (auto _ : state) {
        QTest::keyClick(editor, Qt::Key_X);
        state.PauseTiming();
        QTest::keyClick(editor, Qt::Key_Backspace);
        Pump();
        state.ResumeTiming();
    }
    if (EditorText(kGadgetEditor) != record) state.SkipWithError("the keystroke did not type");
    StopTimer(kWindowMain, kTimerJournal);
    g_app.unsavedEdit = 0;
    StopWindow();
}

// What the pause's end costs once: a full record's journal written, flushed and renamed.
void JournalWrite(benchmark::State& state) {
    StartWindow(s_config.small);
    MoveJournalToWork();
    SetEditorText(kGadgetEditor, FullRecord());
    g_app.unsavedEdit = 1;
    for (auto _ : state) WriteJournalAtPause();
    if (StatPath(g_app.journalPath).kind != kFileRegular) state.SkipWithError("no journal was written");
    g_app.unsavedEdit = 0;
    DeleteFile(g_app.journalPath);
    StopWindow();
}

// Collects the median of every benchmark, in milliseconds.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median" : single_)
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    bool single_ = false;
    std::map<std::string, double> medians;
};

long PeakMemoryKb(const std::string& self, const char* mode, const std::string& folder) {
    std::string output = s_config.work + "/memory.txt";
    Spawn({self, mode, folder}, output.c_str());
    std::string text;
    bool cut;
    ReadWholeFile(output, &text, 4096, &cut);
    return std::atol(text.c_str());
}

// Starts as the program does, over the folder's data file, until the records are shown.
void StartAsTheProgram(const std::string& folder, int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    UseFolder(folder);
    StartLoadWorker();
    StartGui(argc, argv);
    SetUnattended(true);
    BuildMainWindow();
    WaitUntilLoaded();
}

int MeasureMemory(const std::string& folder, bool search, int argc, char** argv) {
    StartAsTheProgram(folder, argc, argv);
    if (search) {
        std::vector<SelectorEntry> entries;
        for (int position = 0; position < SelectorCount(kGadgetSelector); ++position)
            entries.push_back(ListEntryAt(position));
        std::atomic<bool> stop{false};
        std::size_t found = 0;
        std::u16string term(kRareTerm, kRareTerm + std::char_traits<char>::length(kRareTerm));
        SearchedFile file{g_app.dataPath, g_app.dataVersion, g_app.dataVersionKnown, &g_searchIndex};
        SearchRecords(file, entries, SearchTerm{term, false, false}, kRules, stop, CountFound, &found);
    }
    // The peak of this program's own memory: getrusage would also count the bench process
    // that spawned it, whose memory the spawned child shared until it started.
    std::ifstream file("/proc/self/status");
    std::string status((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t at = status.find("VmHWM:");
    std::printf("%ld\n", at == std::string::npos ? 0L : std::atol(status.c_str() + at + 6));
    return 0;
}

struct Row {
    const char* figure;
    const char* figureRun;
    const char* baseline;
    const char* baselineRun;
    double limit;  // the largest ratio figure / baseline that meets the target; 0: none
    const char* target;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: jotcrate_bench DATA_FOLDER [--smoke] | --memory FOLDER | --search-memory FOLDER\n");
        return 2;
    }
    UnscrambleStrings();
    HandTextsToFileLayer();
    ResetAppState();
    if (std::string(argv[1]) == "--memory" && argc > 2) return MeasureMemory(argv[2], false, argc, argv);
    if (std::string(argv[1]) == "--search-memory" && argc > 2) return MeasureMemory(argv[2], true, argc, argv);
    if (std::string(argv[1]) == "--startup" && argc > 2) {
        StartAsTheProgram(argv[2], argc, argv);
        std::fflush(stdout);
        _exit(0);
    }
    s_config.self = argv[0];
    s_config.smoke = argc > 2 && std::string(argv[2]) == "--smoke";
    std::string root = argv[1];
    s_config.count = s_config.smoke ? 200 : kRecordLimit;
    s_config.big = root + (s_config.smoke ? "/smoke" : "/full");
    s_config.small = root + "/nine";
    s_config.work = root + "/work";
    mkdir(root.c_str(), 0700);
    mkdir(s_config.work.c_str(), 0700);
    mkdir((s_config.work + "/small").c_str(), 0700);
    std::printf("Making the bench data (once)...\n");
    if (!MakeBenchData(s_config.big, s_config.count) || !MakeBenchData(s_config.small, 9)) {
        std::fprintf(stderr, "could not make the bench data: %s\n", LastFileError().c_str());
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", s_config.work.c_str(), 1);
    StartGui(argc, argv);
    SetUnattended(true);

    int repetitions = s_config.smoke ? 1 : 5;
    auto add = [&](const char* name, auto function, int iterations) {
        benchmark::RegisterBenchmark(name, function)
            ->Iterations(s_config.smoke ? 1 : iterations)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(repetitions > 1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    add(
        "ListTitles", [](benchmark::State& s) { ListAllTitles(s, false); }, 5);
    add(
        "ReadFullSlots", [](benchmark::State& s) { ReadSlots(s, kSlotSize); }, 3);
    add(
        "Read49Bytes", [](benchmark::State& s) { ReadSlots(s, 49); }, 5);
    add(
        "StartupFull", [](benchmark::State& s) { Startup(s, &s_config.big, false); }, 5);
    add(
        "StartupNine", [](benchmark::State& s) { Startup(s, &s_config.small, false); }, 5);
    add(
        "OpenListFull", [](benchmark::State& s) { OpenList(s, &s_config.big); }, 10);
    add(
        "OpenListNine", [](benchmark::State& s) { OpenList(s, &s_config.small); }, 10);
    add("Dump", Dump, 3);
    add(
        "DumpProcess", [](benchmark::State& s) { DumpProcess(s, false); }, 3);
    add(
        "Cat", [](benchmark::State& s) { Cat(s, false); }, 3);
    add(
        "Export", [](benchmark::State& s) { Export(s, false); }, 3);
    add(
        "FindAllFirst", [](benchmark::State& s) { FindAll(s, kRareTerm, true); }, 3);
    add(
        "FindAllRare", [](benchmark::State& s) { FindAll(s, kRareTerm, false); }, 3);
    add(
        "GrepRare", [](benchmark::State& s) { GrepDump(s, kRareTerm); }, 3);
    add(
        "FindAllAbsent", [](benchmark::State& s) { FindAll(s, kAbsentTerm, false); }, 3);
    add(
        "GrepAbsent", [](benchmark::State& s) { GrepDump(s, kAbsentTerm); }, 3);
    add("ColdReadAnnounced", ReadAnnounced, 1);
    add(
        "ColdListTitles", [](benchmark::State& s) { ListAllTitles(s, true); }, 1);
    add(
        "ColdStartupFull", [](benchmark::State& s) { Startup(s, &s_config.big, true); }, 1);
    add(
        "ColdCat", [](benchmark::State& s) { Cat(s, true); }, 1);
    add(
        "ColdDumpProcess", [](benchmark::State& s) { DumpProcess(s, true); }, 1);
    add(
        "ColdExport", [](benchmark::State& s) { Export(s, true); }, 1);
    add(
        "ColdFindAll", [](benchmark::State& s) { FindAll(s, kRareTerm, true, true); }, 1);
    add("Compact", Compact, 2);
    add("CpSparseNever", Copy, 2);
    add("SaveFlushed", Save, 20);
    add(
        "Keystroke", [](benchmark::State& s) { Keystroke(s, true); }, 200);
    add(
        "KeystrokeNoJournal", [](benchmark::State& s) { Keystroke(s, false); }, 200);
    add("JournalWrite", JournalWrite, 20);

    // Flags after the data folder (--benchmark_filter=...) go to the benchmark library.
    std::vector<char*> benchArgs = {argv[0]};
    for (int i = 2; i < argc; ++i)
        if (std::string(argv[i]).rfind("--benchmark", 0) == 0) benchArgs.push_back(argv[i]);
    int benchArgc = static_cast<int>(benchArgs.size());
    benchmark::Initialize(&benchArgc, benchArgs.data());
    MedianCollector collector;
    collector.single_ = repetitions == 1;
    benchmark::RunSpecifiedBenchmarks(&collector);

    long memoryFull = PeakMemoryKb(argv[0], "--memory", s_config.big);
    long memoryNine = PeakMemoryKb(argv[0], "--memory", s_config.small);
    long searchFull = PeakMemoryKb(argv[0], "--search-memory", s_config.big);
    long searchNine = PeakMemoryKb(argv[0], "--search-memory", s_config.small);
    std::map<std::string, double>& m = collector.medians;
    m["CpFlushed"] = Median(s_flushedCopies);
    std::string records = std::to_string(s_config.count);
    const Row rows[] = {
        {"listing all titles (store)", "ListTitles", "reading every full slot", "ReadFullSlots", 1.0 / 3.0,
         "at least 3x faster"},
        {"listing all titles (store)", "ListTitles", "reads of 49 bytes", "Read49Bytes", 1.25, "at most 1.25x"},
        {"start-up to the first record shown", "StartupFull", "the same with 9 records", "StartupNine", 2.0,
         "at most 2x"},
        {"opening the record list", "OpenListFull", "the same with 9 entries", "OpenListNine", 3.0, "at most 3x"},
        {"record dump, jotcrate -d whole process", "DumpProcess", "cat to /dev/null", "Cat", 1 / 1.5,
         "at least 1.5x faster"},
        {"record dump in the process", "Dump", "cat to /dev/null", "Cat", 0, "context"},
        {"HTML export", "Export", "cat to /dev/null", "Cat", 0.5, "at least 2x faster"},
        {"find in all records, a term in 1 % of records", "FindAllRare", "grep -c -F -i over the record dump",
         "GrepRare", 2.0, "at most 2x"},
        {"find in all records, a term in no record", "FindAllAbsent", "grep -c -F -i over the record dump",
         "GrepAbsent", 2.0, "at most 2x"},
        {"find in all records, the first search of a run", "FindAllFirst", "grep -c -F -i over the record dump",
         "GrepRare", 0, "context"},
        {"cold: start-up to the first record shown", "ColdStartupFull", "cold: first pages, every read announced",
         "ColdReadAnnounced", 1.5, "at most 1.5x"},
        {"cold: listing all titles (store)", "ColdListTitles", "cold: first pages, every read announced",
         "ColdReadAnnounced", 1.25, "at most 1.25x"},
        {"cold: record dump, jotcrate -d whole process", "ColdDumpProcess", "cold: cat to /dev/null", "ColdCat", 1.0,
         "at most 1.0x"},
        {"cold: HTML export", "ColdExport", "cold: cat to /dev/null", "ColdCat", 1.0, "at most 1.0x"},
        {"cold: find in all records, the first search", "ColdFindAll", "cold: cat to /dev/null", "ColdCat", 1.0,
         "at most 1.0x"},
        {"compaction, one deleted slot", "Compact", "cp --sparse=never, then sync --data", "CpFlushed", 1.0,
         "at most 1.0x"},
        {"compaction, one deleted slot", "Compact", "cp --sparse=never", "CpSparseNever", 0, "context"},
    };
    std::printf("\n%s records\n\n", records.c_str());
    std::printf("| Figure | ms | Baseline | ms | Ratio | Target | Met |\n|---|---|---|---|---|---|---|\n");
    int met = 0, targets = 0;
    for (const Row& row : rows) {
        double figure = m[row.figureRun], baseline = m[row.baselineRun];
        double ratio = baseline > 0 ? figure / baseline : 0;
        bool ok = ratio <= row.limit;
        targets += row.limit > 0;
        met += row.limit > 0 && ok;
        std::printf("| %s | %.1f | %s | %.1f | %.2fx | %s | %s |\n", row.figure, figure, row.baseline, baseline, ratio,
                    row.target,
                    row.limit == 0 ? ""
                    : ok           ? "yes"
                                   : "NO");
    }
    auto memoryRow = [&](const char* figure, long full, long nine) {
        double extraMiB = (full - nine) / 1024.0;
        bool ok = extraMiB <= 16.0;
        ++targets;
        met += ok;
        std::printf("| %s | %.1f MiB | the same with 9 records | %.1f MiB | +%.1f MiB | at most +16 MiB | %s |\n",
                    figure, full / 1024.0, nine / 1024.0, extraMiB, ok ? "yes" : "NO");
    };
    memoryRow("peak memory, records loaded", memoryFull, memoryNine);
    memoryRow("peak memory, a search of every record", searchFull, searchNine);
    std::printf("| save of one record, flushed | %.2f | | | median | no target | |\n", m["SaveFlushed"]);
    bool keystrokeOk = m["Keystroke"] <= 1.0;
    ++targets;
    met += keystrokeOk;
    std::printf(
        "| keystroke in a full 32,000-byte record | %.3f | the same without the journal | %.3f | %.2fx | at most 1 ms "
        "| %s |\n",
        m["Keystroke"], m["KeystrokeNoJournal"],
        m["KeystrokeNoJournal"] > 0 ? m["Keystroke"] / m["KeystrokeNoJournal"] : 0, keystrokeOk ? "yes" : "NO");
    std::printf("| journal of a full record written at the pause, flushed | %.2f | | | median | no target | |\n",
                m["JournalWrite"]);
    std::printf("\n%d of %d targets met\n", met, targets);
    return s_config.smoke || met == targets ? 0 : 1;
}
