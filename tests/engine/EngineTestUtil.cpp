#include "EngineTestUtil.h"

#include <algorithm>
#include <set>
#include <vector>

namespace quorvex::test {

std::string DumpTree(const TDataInfo& root) {
    std::vector<std::string> lines;
    auto* top = const_cast<TDataInfo*>(&root);
    const std::size_t prefix = root.FullPath().size() + (root.FullPath().back() == '/' ? 0 : 1);
    for (TDataInfo* e = NextInPreOrder(top, top); e; e = NextInPreOrder(e, top))
        lines.push_back(
            e->FullPath().substr(prefix) + (e->IsFolder() ? "/ " : " ") + e->FileSize() +
            (e->NotScanned() ? std::string(" [") + ScanProblemText(e->ScanProblem()) + "]" : ""));
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool TotalsConsistent(const TDataInfo& root) {
    auto* top = const_cast<TDataInfo*>(&root);
    for (TDataInfo* e = top; e; e = NextInPreOrder(e, top)) {
        if (!e->IsFolder())
            continue;
        std::uint64_t sum = 0;
        for (const TDataInfo& child : e->Children())
            sum += child.Size();
        if (sum != e->Size())
            return false;
    }
    return true;
}

std::string ScanReport(const std::string& root, int threads) {
    TDataCtrl ctrl;
    ctrl.LoadGroups(DefaultRanges());
    ctrl.SetScanThreads(threads);
    ctrl.ScanFolder(root);
    std::set<std::string> problems;
    for (const TScanProblem& p : ctrl.Problems())
        problems.insert("problem " + p.Path.substr(root.size()) + " " + ScanProblemText(p.Reason));
    std::string text = DumpTree(*ctrl.Root());
    for (const std::string& problem : problems)
        text += problem + "\n";
    return text + "total " + ctrl.Root()->FileSize() + "\n";
}

namespace {

std::string Relative(const TDataInfo& e, std::size_t prefix) {
    return e.FullPath().substr(prefix) + (e.IsFolder() ? "/" : "");
}

std::string FactLine(const TDataInfo& e, std::size_t prefix) {
    std::string line = Relative(e, prefix) + " " + std::to_string(e.Size()) + " disk " +
                       std::to_string(e.DiskSize()) + " groups ";
    for (const std::int32_t g :
         {e.SizeGroup(), e.CreateGroup(), e.AccessGroup(), e.WriteGroup(), e.NameLengthGroup()})
        line += std::to_string(g) + ",";
    line += " children " + std::to_string(e.Children().Count());
    std::uint32_t row = 0;
    for (const TDataInfo& child : e.Children())
        if (child.Parent() != &e || child.Row() != row++)
            line += " broken link to " + child.FileName();
    if (e.NotScanned())
        line += std::string(" [") + ScanProblemText(e.ScanProblem()) + "]";
    return line + "\n";
}

std::string SumFacts(TDataCtrl& ctrl) {
    std::string text;
    for (TSumList* list : {&ctrl.FolderSizeSums(), &ctrl.FileSizeSums(), &ctrl.CreateTimeSums(),
                           &ctrl.AccessTimeSums(), &ctrl.WriteTimeSums(), &ctrl.NameLengthSums(),
                           &ctrl.FileTypeSums()}) {
        std::vector<std::string> sums;
        for (const TSumInfo& sum : *list)
            sums.push_back(sum.GroupCaption() + "=" + std::to_string(sum.EntryCount()) + "/" +
                           std::to_string(sum.TotalSize()) + " ");
        if (list == &ctrl.FileTypeSums()) // live edits add a new type last
            std::sort(sums.begin(), sums.end());
        for (const std::string& sum : sums)
            text += sum;
        text += "\n";
    }
    return text;
}

} // namespace

std::string TreeFacts(TDataCtrl& ctrl) {
    TDataInfo* root = ctrl.Root();
    if (!root)
        return "no tree\n";
    const std::size_t prefix = root->FullPath().size();
    std::string text;
    for (TDataInfo* e = root; e; e = NextInPreOrder(e, root))
        text += FactLine(*e, prefix);
    text += "entries " + std::to_string(ctrl.EntryCount()) + "\n";
    std::set<std::string> problems;
    for (const TScanProblem& p : ctrl.Problems())
        problems.insert("problem " + p.Path.substr(prefix) + " " + ScanProblemText(p.Reason));
    for (const std::string& problem : problems)
        text += problem + "\n";
    if (ctrl.CurrentRoot())
        text += "current " + Relative(*ctrl.CurrentRoot(), prefix) + "\n";
    return text + SumFacts(ctrl);
}

TGroupRanges DefaultRanges() {
    TGroupRanges r;
    r.Age = {
        {"one day", 1}, {"three days", 3}, {"one week", 7}, {"one month", 30}, {"one year", 365}};
    r.Size = {{"0~10KB", 10000},    {"10~100KB", 100000},    {"0.1~1MB", 1000000},
              {"1~10MB", 10000000}, {"10~100MB", 100000000}, {"0.1~1G", 1000000000}};
    r.Length = {{"1", 1}, {"2~6", 6}, {"7~10", 10}, {"11~19", 19}, {"10~", 365}};
    r.AboveLast = "above last";
    return r;
}

} // namespace quorvex::test
