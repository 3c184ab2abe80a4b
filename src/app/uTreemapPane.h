#pragma once

#include "uTreemapWorker.h"

#include <QRect>
#include <QWidget>
#include <functional>

namespace quorvex {

/// The treemap of one folder's subtree, drawn by a TTreemapWorker and shown at the widget's
/// size. It draws only while visible; a resize, a new folder or a new style asks for a new
/// picture, and until it arrives the last one is shown stretched. Reports what the mouse
/// points at and does; what to do with it is left to its owner (uTreemapBinding).
class TTreemapPane : public QWidget {
    Q_OBJECT
public:
    explicit TTreemapPane(QWidget* parent = nullptr);

    /// The folder shown (nullptr: nothing); redraws.
    void SetFolder(const TDataInfo* folder);
    const TDataInfo* Folder() const { return FFolder; }
    /// Entries the predicate rejects are dimmed; an empty predicate dims nothing. Redraws.
    void SetHighlight(std::function<bool(const TDataInfo&)> highlight);
    bool HasHighlight() const { return bool(FStyle.Highlight); }
    void SetCushion(bool cushion);
    /// Colours files by their growth against `compare`'s base (nullptr: by type). Returns once
    /// the worker no longer reads the comparison given before, then redraws. `compare` is read
    /// by every drawing until it is replaced here: it must stay alive until then.
    void SetGrowth(const TScanCompare* compare);
    const TScanCompare* Growth() const { return FGrowth; }
    /// Outlines `entry`'s tile (nullptr: no outline).
    void SetSelected(const TDataInfo* entry);
    /// The outlined rectangle (empty: none on the picture).
    QRect Outline() const { return FOutline; }
    /// The tooltip and status text of an entry.
    void SetDescriber(std::function<QString(const TDataInfo&)> describe);

    /// Cancels drawing and returns once the worker no longer reads the tree; hit tests stop,
    /// and nothing is drawn (not even on a resize) until Invalidate() or SetFolder(). Call
    /// before the tree changes (scan, refresh, removal).
    void Stop();
    /// Draws again from the tree as it is now, e.g. after Stop() and a change of the tree.
    void Invalidate();

    /// The entry drawn at a point of the widget; nullptr outside or while no current picture.
    const TDataInfo* EntryAt(const QPoint& at) const;
    /// The picture on screen (null before the first one).
    const QImage& Picture() const { return FPicture.Image; }
    /// True while a newer picture is being drawn.
    bool Drawing() const { return FWorker.Pending(); }
    TTreemapWorker& Worker() { return FWorker; }

signals:
    /// The mouse moved onto another entry (nullptr: off every entry).
    void Hovered(const TDataInfo* entry);
    void Clicked(const TDataInfo* entry);
    void DoubleClicked(const TDataInfo* entry);
    /// A context menu was asked for over `entry` at the global position `at`.
    void ContextMenuRequested(const TDataInfo* entry, const QPoint& at);
    /// A new picture is on screen.
    void PictureShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Redraw();
    void Show(const TTreemapPicture& picture);
    void UpdateOutline();
    void Hover(const TDataInfo* entry, const QPoint& globalAt);

    TTreemapWorker FWorker;
    const TDataInfo* FFolder = nullptr;
    TTreemapStyle FStyle;
    const TScanCompare* FGrowth = nullptr;
    TTreemapPicture FPicture;
    bool FCurrent = false; // the layout of FPicture may be read (the tree did not change since)
    bool FDirty = false;   // a redraw waits for the pane to be shown or released
    bool FHeld = false;    // stopped: the tree may be changing
    const TDataInfo* FSelected = nullptr;
    QRect FOutline;
    const TDataInfo* FHovered = nullptr;
    std::function<QString(const TDataInfo&)> FDescribe;
};

} // namespace quorvex
