#pragma once

#include "FixtureTree.h"
#include "uBaseView.h"

#include <QAbstractItemModelTester>
#include <QStringList>
#include <memory>

namespace quorvex::test {

/// A view controller with its own configuration file, over a scanned fixture tree.
struct TViewFixture {
    TempDir Config;
    TempDir Tree;
    std::unique_ptr<TBaseView> View;

    explicit TViewFixture(const std::vector<std::string>& lines) {
        WriteTree(Tree.Path(), lines);
        View = std::make_unique<TBaseView>(Config.Path() / "KestrixFAConfig.xml");
    }
    std::string Root() const { return Tree.Str(); }
    /// The open flow: scan, folder tree, show the scanned folder.
    void Open() {
        View->Scan(Root());
        View->FillFolderTree();
        View->ShowFolderByPath(Root());
    }
};

/// Column `column` of every row of a flat model, top to bottom.
inline QStringList Column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

/// Column `column` of every row of a nested model in pre-order, each indented by its depth.
inline QStringList Outline(const QAbstractItemModel& model, int column,
                           const QModelIndex& parent = {}, int depth = 0) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, column, parent);
        texts << QString(depth * 2, ' ') + index.data().toString();
        texts << Outline(model, column, model.index(row, 0, parent), depth + 1);
    }
    return texts;
}

} // namespace quorvex::test
