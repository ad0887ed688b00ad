// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "tests/support/test_platform.h"
#include "tests/web/fake_registry.h"
#include "web/registry_value.h"

Q_DECLARE_METATYPE(FakeRegistry::Value)
Q_DECLARE_METATYPE(RegistryValue)

namespace {

FakeRegistry::Value value(DWORD type, const QByteArray& data) {
    FakeRegistry::Value v;
    v.type = type;
    v.data = data;
    return v;
}

}  // namespace

// Registry values of every type, and every way reading them can fail.
class RegistryValueTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readsEachType_data() {
        QTest::addColumn<FakeRegistry::Value>("stored");
        QTest::addColumn<RegistryValue>("expected");
        const QByteArray nul(1, '\0');
        QTest::newRow("text") << value(REG_SZ, "open" + nul) << RegistryValue(QString("open"));
        QTest::newRow("text without NUL") << value(REG_SZ, "abc") << RegistryValue(QString("abc"));
        QTest::newRow("text cut at first NUL")
            << value(REG_SZ, "ab" + nul + "cd" + nul) << RegistryValue(QString("ab"));
        QTest::newRow("text of size 0") << value(REG_SZ, {}) << RegistryValue(QString());
        QTest::newRow("text in UTF-8")
            << value(REG_SZ, QString("\"/opt/ブラウザ/b\" \"%1\"").toUtf8() + nul)
            << RegistryValue(QString("\"/opt/ブラウザ/b\" \"%1\""));
        FakeRegistry::Value unreadable = value(REG_SZ, "open" + nul);
        unreadable.failDataRead = true;
        QTest::newRow("text that cannot be read") << unreadable << RegistryValue();
        QTest::newRow("expandable text")
            << value(REG_EXPAND_SZ, "%ProgramFiles%" + nul) << RegistryValue();
        QTest::newRow("multi-text")
            << value(REG_MULTI_SZ, "a" + nul + "b" + nul + nul) << RegistryValue();
        QTest::newRow("bytes") << value(REG_BINARY, QByteArray("\x01\x00\xff", 3))
                               << RegistryValue(QByteArray("\x01\x00\xff", 3));
        QTest::newRow("bytes of size 0") << value(REG_BINARY, {}) << RegistryValue();
        QTest::newRow("number") << value(REG_DWORD, QByteArray("\xfe\xff\xff\xff", 4))
                                << RegistryValue(qint32(-2));
        QTest::newRow("short number")
            << value(REG_DWORD, QByteArray("\x05\x01", 2)) << RegistryValue(qint32(0x105));
        QTest::newRow("number too long")
            << value(REG_DWORD, QByteArray(8, '\x01')) << RegistryValue();
        QTest::newRow("no type") << value(REG_NONE, "x") << RegistryValue();
        QTest::newRow("64-bit number") << value(11, QByteArray(8, '\0')) << RegistryValue();
    }
    void readsEachType() {
        QFETCH(FakeRegistry::Value, stored);
        QFETCH(RegistryValue, expected);
        TestPlatform platform(QDir::tempPath());
        FakeRegistry* fake = installFakeRegistry(*platform);
        fake->keys["https\\shell"][QString()] = stored;

        const RegistryValue read =
            RegistryGetKeyValue(*platform, nullptr, HKEY_CLASSES_ROOT, "https\\shell", {});
        QVERIFY(read == expected);
        QCOMPARE(fake->openKeyCount(), 0);
        QCOMPARE(fake->closes, 1);
        QVERIFY(platform.dialogs->messages.empty());
    }

    void missingKeysAndValuesGiveNoValue() {
        TestPlatform platform(QDir::tempPath());
        FakeRegistry* fake = installFakeRegistry(*platform);
        fake->setText("https\\shell", "open");
        auto read = [&](HKEY root, const QString& key, const QString& name) {
            return RegistryGetKeyValue(*platform, nullptr, root, key, name);
        };
        QVERIFY(read(HKEY_CLASSES_ROOT, "https\\shell\\\\command", {}) == RegistryValue());
        QVERIFY(read(HKEY_LOCAL_MACHINE, "https\\shell", {}) == RegistryValue());
        QVERIFY(read(HKEY_CLASSES_ROOT, "https\\shell", "Other") == RegistryValue());
        QCOMPARE(fake->openKeyCount(), 0);
        QVERIFY(platform.dialogs->messages.empty());

        platform->registry.reset();
        QVERIFY(read(HKEY_CLASSES_ROOT, "https\\shell", {}) == RegistryValue());
    }

    void unexpectedFailuresAreShownOnce_data() {
        QTest::addColumn<FakeRegistry::Value>("stored");
        QTest::addColumn<QString>("message");
        FakeRegistry::Value huge = value(REG_SZ, "open");
        huge.claimedSize = 0xFFFFFFFFu;
        QTest::newRow("no memory for the buffer") << huge << "Error: 7. メモリが不足しています。";
        FakeRegistry::Value broken = value(REG_SZ, "open");
        broken.throwOnQuery = true;
        QTest::newRow("registry fault") << broken << "Error: 13. 型が一致しません。";
    }
    void unexpectedFailuresAreShownOnce() {
        QFETCH(FakeRegistry::Value, stored);
        QFETCH(QString, message);
        TestPlatform platform(QDir::tempPath());
        FakeRegistry* fake = installFakeRegistry(*platform);
        fake->keys["https\\shell"][QString()] = stored;

        const RegistryValue read =
            RegistryGetKeyValue(*platform, nullptr, HKEY_CLASSES_ROOT, "https\\shell", {});
        QVERIFY(read == RegistryValue());
        QCOMPARE(fake->openKeyCount(), 0);
        QCOMPARE(platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(platform.dialogs->messages[0].prompt, message);
        QCOMPARE(platform.dialogs->messages[0].title, QStringLiteral("RegistryGetKeyValue"));
    }

    void valueAsText_data() {
        QTest::addColumn<RegistryValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("no value") << RegistryValue() << "";
        QTest::newRow("text") << RegistryValue(QString("open")) << "open";
        QTest::newRow("number") << RegistryValue(qint32(-15)) << "-15";
        QTest::newRow("bytes") << RegistryValue(QByteArray("ab\0c", 4)) << "ab";
    }
    void valueAsText() {
        QFETCH(RegistryValue, value);
        QFETCH(QString, text);
        QCOMPARE(RegistryValueText(value), text);
    }
};

QTEST_GUILESS_MAIN(RegistryValueTest)
#include "registry_value_test.moc"
