#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace slip::test {

// A fresh data folder and config folder for one test; restores the previous
// ones when it goes out of scope.
class TestHome {
public:
    explicit TestHome(bool createSchema = true);
    ~TestHome();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QByteArray oldConfig_;
};

// A test on a fresh data folder: `using Suite = test::WithHome;` then TEST_F.
struct WithHome : ::testing::Test {
    TestHome home;
};

} // namespace slip::test
