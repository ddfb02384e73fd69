#pragma once

#include <QScrollArea>

#include <functional>

class QLabel;

// A scroll view that asks for more when pulled down at the top (refresh) or
// scrolled to the end (load more), shows that it is loading, and takes no
// new request until told to stop loading.
class KVRefreshScrollView : public QScrollArea {
    Q_OBJECT
public:
    // Wheel travel past the top that counts as a pull (eighths of a degree).
    static constexpr int kPullThreshold = 120;

    explicit KVRefreshScrollView(QWidget *parent = nullptr);

    std::function<void()> onRefresh;
    std::function<void()> onLoadMore;

    void setRefreshEnabled(bool enabled) { m_refreshEnabled = enabled; }
    void setLoadMoreEnabled(bool enabled) { m_loadMoreEnabled = enabled; }

    // Start loading as if the user had pulled or scrolled to the end.
    void beginRefreshing();
    void beginLoadingMore();
    void stopLoading();
    [[nodiscard]] bool isLoading() const { return m_state != State::Idle; }
    [[nodiscard]] bool isRefreshing() const { return m_state == State::Refreshing; }
    [[nodiscard]] bool isLoadingMore() const { return m_state == State::LoadingMore; }

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class State { Idle, Refreshing, LoadingMore };
    void showStatus();

    State m_state = State::Idle;
    bool m_refreshEnabled = true;
    bool m_loadMoreEnabled = true;
    int m_pull = 0;
    QLabel *m_status;
};
