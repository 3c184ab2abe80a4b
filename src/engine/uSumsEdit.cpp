#include "uSumsEdit.h"

#include "uDataCtrl.h"

namespace quorvex {

namespace {

void Apply(TSumInfo& sum, std::uint64_t size, int sign) {
    if (sign > 0)
        sum.Add(size);
    else
        sum.Remove(size);
}

} // namespace

TSumsEdit::TSumsEdit(TDataCtrl& ctrl) : FCtrl(ctrl) {
    const TSumList& types = ctrl.FileTypeSums();
    for (std::size_t i = 0; i < types.Count(); ++i)
        FTypes.Add(types.Items(i).GroupCaption(), i);
}

void TSumsEdit::Count(const TDataInfo& e, int sign) {
    const std::uint64_t size = e.Size();
    if (e.IsFolder()) {
        Apply(FCtrl.FolderSizeSums().Items(std::size_t(e.SizeGroup())), size, sign);
        return;
    }
    // As TDataCtrl::AddSums counts a file.
    Apply(FCtrl.FileSizeSums().Items(std::size_t(e.SizeGroup())), size, sign);
    Apply(FCtrl.CreateTimeSums().Items(std::size_t(e.CreateGroup())), size, sign);
    Apply(FCtrl.AccessTimeSums().Items(std::size_t(e.AccessGroup())), size, sign);
    Apply(FCtrl.WriteTimeSums().Items(std::size_t(e.WriteGroup())), size, sign);
    Apply(FCtrl.NameLengthSums().Items(std::size_t(e.NameLengthGroup())), size, sign);
    TSumList& types = FCtrl.FileTypeSums();
    std::size_t type = FTypes.Find(e.Ext());
    if (type == TTypeIndex::None) {
        type = types.Count();
        types.Add(std::string(e.Ext()), std::int32_t(type));
        FTypes.Add(e.Ext(), type);
    }
    Apply(types.Items(type), size, sign);
}

void TSumsEdit::Below(TDataInfo& top, int sign) {
    for (TDataInfo* e = NextInPreOrder(&top, &top); e; e = NextInPreOrder(e, &top))
        Count(*e, sign);
}

void TSumsEdit::Chain(TDataInfo* from, const TDataInfo* stop, int sign) {
    for (; from && from != stop; from = from->Parent())
        Count(*from, sign);
}

void TSumsEdit::Finish() {
    FCtrl.FileTypeSums().DropEmpty();
}

} // namespace quorvex
