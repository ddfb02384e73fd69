#pragma once

// The window's views a shared document drives, named as in the window's ui. The window makes
// them after the sharing code, so these refer to the window's own pointers (null until made);
// the document's bar (names, page numbers, flip buttons) is made by the document into them.

#include <QPointer>

class KRTCVideoView;
class KVLayoutConstraint;
class MacDisableScrollView;
class MeetingBottomButton;
class QLabel;
class QScrollArea;
class QWidget;
class VeskButton;

struct FileShareDocumentViews {
    // Shown and hidden by the layout mode.
    QPointer<QWidget> &topView; // the document's bar goes under it
    QPointer<QScrollArea> &scrollView;
    QPointer<KRTCVideoView> &screenShareRenderView;
    QPointer<QWidget> &shareShowBKView;
    QPointer<QScrollArea> &verticalShowScrollView;
    QPointer<QWidget> &verticalShowCollectionView;
    QPointer<QWidget> &fileSharePanelBKView;
    QPointer<MacDisableScrollView> &fileShareScrollView;
    QPointer<QWidget> &fileShareCollectionView;
    QPointer<KRTCVideoView> &avFileShareRenderView;
    QPointer<VeskButton> &avFileSharePlayButton;
    QPointer<KVLayoutConstraint> &videoViewTopConstraint;
    QPointer<QWidget> &bottomView;
    QPointer<QWidget> &toolBarMiddleView;
    QPointer<VeskButton> &finishShareBtn;
    QPointer<MeetingBottomButton> &shareBtn;
    QPointer<MeetingBottomButton> &selectFileShareSwitchBtn;
    QPointer<KVLayoutConstraint> &bottomSareContainerViewWidthConst;
    // The document's bar.
    QPointer<QWidget> &currentFilePanel;
    QPointer<QWidget> &currentPagePanel;
    QPointer<QLabel> &currentFileShareNameLabel;
    QPointer<QLabel> &shareFileName;
    QPointer<QLabel> &currentPage;
    QPointer<QLabel> &totalPage;
    QPointer<VeskButton> &leftFlipOverButton;
    QPointer<VeskButton> &rightFlipOverButton;
    QPointer<VeskButton> &fileShareSwitchButton;
    QPointer<KVLayoutConstraint> &currentPageNumWidthConstraint;
    QPointer<KVLayoutConstraint> &pageNumPanelWidthConstraint;
    QPointer<KVLayoutConstraint> &currentFilePanelWidthConstraint;
};

// The same views of any ui that names them (the window's, or a test's).
template <class Ui> FileShareDocumentViews fileShareDocumentViews(Ui &ui)
{
    return {ui.topView,
            ui.scrollView,
            ui.screenShareRenderView,
            ui.shareShowBKView,
            ui.verticalShowScrollView,
            ui.verticalShowCollectionView,
            ui.fileSharePanelBKView,
            ui.fileShareScrollView,
            ui.fileShareCollectionView,
            ui.avFileShareRenderView,
            ui.avFileSharePlayButton,
            ui.videoViewTopConstraint,
            ui.bottomView,
            ui.toolBarMiddleView,
            ui.finishShareBtn,
            ui.shareBtn,
            ui.selectFileShareSwitchBtn,
            ui.bottomSareContainerViewWidthConst,
            ui.currentFilePanel,
            ui.currentPagePanel,
            ui.currentFileShareNameLabel,
            ui.shareFileName,
            ui.currentPage,
            ui.totalPage,
            ui.leftFlipOverButton,
            ui.rightFlipOverButton,
            ui.fileShareSwitchButton,
            ui.currentPageNumWidthConstraint,
            ui.pageNumPanelWidthConstraint,
            ui.currentFilePanelWidthConstraint};
}
