#pragma once
// The process's local time zone set for the time of a scope, as a user's system would have it.
#include <time.h>

#include <QByteArray>
#include <QtGlobal>

class LocalZone {
public:
    explicit LocalZone(const QByteArray& zone) : saved_(qgetenv("TZ")) {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone() {
        if (saved_.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", saved_);
        tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    QByteArray saved_;
};
