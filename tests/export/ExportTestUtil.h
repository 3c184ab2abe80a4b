#pragma once

#include "uExportView.h"

#include <QStringList>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex::test {

/// A view given by its captions and its rows in walk order, each with its depth.
struct TFakeView final : TExportView {
    struct TRow {
        int Depth;
        QStringList Cells;
    };
    QStringList Captions;
    std::vector<TRow> Rows;
    /// The walk throws after visiting this many rows (-1: never).
    int ThrowAfter = -1;
    /// Called before each row is visited, with its index.
    std::function<void(std::size_t row)> BeforeRow;

    TFakeView(QStringList captions, std::vector<TRow> rows)
        : Captions(std::move(captions)), Rows(std::move(rows)) {}

    qsizetype EntryCount() const override { return qsizetype(Rows.size()); }
    int ColumnCount() const override { return int(Captions.size()); }
    QString Caption(int column) const override { return Captions[column]; }
    void Walk(const TVisit& visit) const override {
        struct TRef final : TExportRow {
            const TRow* Row = nullptr;
            int Depth() const override { return Row->Depth; }
            QString CellText(int column) const override { return Row->Cells[column]; }
        } ref;
        for (std::size_t i = 0; i < Rows.size(); ++i) {
            if (int(i) == ThrowAfter)
                throw std::runtime_error("the view went away");
            if (BeforeRow)
                BeforeRow(i);
            ref.Row = &Rows[i];
            if (!visit(ref))
                return;
        }
    }
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

/// RFC 4180 records of `text` with the given separator; every record ends with CR LF and,
/// as all exports do, with a separator before it (so no empty last field is produced).
inline std::vector<QStringList> ParseCsv(const QString& text, QChar separator) {
    std::vector<QStringList> records(1);
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            records.back() << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            if (!field.isEmpty())
                records.back() << field; // a title line has no separator after it
            field.clear();
            records.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    records.pop_back(); // after the last CR LF
    return records;
}

/// True when every byte sequence of `bytes` is valid UTF-8.
inline bool IsValidUtf8(const std::string& bytes) {
    const QByteArray data = QByteArray::fromStdString(bytes);
    return QString::fromUtf8(data).toUtf8() == data; // invalid bytes would come back changed
}

} // namespace quorvex::test
