#include "KRTCTypes.h"

QSize KRTCScreenOption::sizeForStreamLevel(qint64 streamLevel)
{
    switch (streamLevel) {
    case 1:
        return {640, 360};
    case 2:
        return {1280, 720};
    case 3:
        return {1920, 1080};
    default:
        return {};
    }
}
