#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QScrollArea;
class QVBoxLayout;

// A suggestion row of the invitation panel: the user's name and "(id)". A click picks the user.
class RemindCell final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 40;

    explicit RemindCell(const VeskUserModel &user, QWidget *parent = nullptr);

    [[nodiscard]] const VeskUserModel &userModel() const { return m_userModel; }
    QPointer<QLabel> label;
    QPointer<QLabel> idLabel;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    VeskUserModel m_userModel;
};

// The invitation panel's drop-down of suggestions.
class InviteSearchRemindView final : public QWidget {
    Q_OBJECT
public:
    explicit InviteSearchRemindView(QWidget *parent = nullptr);

    // Stores the suggestions and shows them.
    void setUserArr(const QList<VeskUserModel> &users);
    [[nodiscard]] const QList<VeskUserModel> &userArr() const { return m_userArr; }
    [[nodiscard]] QList<RemindCell *> cells() const;

    // A suggestion was picked.
    std::function<void(const VeskUserModel &user)> selectedModelBlock;

    QPointer<QScrollArea> remindTable;

private:
    QList<VeskUserModel> m_userArr;
    QPointer<QWidget> m_rows;
    QPointer<QVBoxLayout> m_rowsLayout;
};
