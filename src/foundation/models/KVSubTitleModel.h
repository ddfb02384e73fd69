#pragma once

#include "foundation/models/VeskModel.h"

#include <QString>

// One live speech result.
struct KVSubTitleModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(int resultType MEMBER resultType)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString senderId MEMBER senderId)
    Q_PROPERTY(QString senderName MEMBER senderName)
    Q_PROPERTY(QString language MEMBER language)
    Q_PROPERTY(QString cnText MEMBER cnText)
    Q_PROPERTY(QString enText MEMBER enText)
    Q_PROPERTY(QString cnTextFix MEMBER cnTextFix)
    Q_PROPERTY(double senderTime MEMBER senderTime)
    Q_PROPERTY(QString showText MEMBER showText)

public:
    enum ResultType { Temporary = 0, Final = 2 };

    int resultType = 0;
    QString roomId;
    QString senderId;
    QString senderName;
    QString language;
    QString cnText;        // Chinese
    QString enText;        // English
    QString cnTextFix;     // corrected Chinese
    double senderTime = 0; // ms since 1970
    QString showText;      // filled by the subtitle code

    friend bool operator==(const KVSubTitleModel &, const KVSubTitleModel &) = default;
};
