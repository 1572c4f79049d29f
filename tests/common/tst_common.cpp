// Shell utilities, the INI profile and the settings object.
#include "common/AppSetting.h"
#include "common/FontText.h"
#include "common/IniFile.h"
#include "common/TextDecode.h"
#include "common/Util.h"

#include "support/Fixtures.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <climits>

using namespace kestrova;
using namespace kestrova::test;

namespace {
void WriteAll(const QString& path, const QByteArray& bytes) {
    QVERIFY(WriteFileBytes(path, bytes));
}
} // namespace

class TestCommon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timeText_data() {
        QTest::addColumn<uint>("cs");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0u << "00:00.00";
        QTest::newRow("one minute five") << 6005u << "01:00.05";
        QTest::newRow("overview example") << 6507u << "01:05.07";
        QTest::newRow("last before an hour") << 359999u << "59:59.99";
        QTest::newRow("an hour") << 360000u << "60:00.00";
        QTest::newRow("long lesson") << 7510320u << "1251:43.20";
        QTest::newRow("largest") << 4294967295u << "715827:52.95";
    }
    void timeText() {
        QFETCH(uint, cs);
        QFETCH(QString, text);
        QCOMPARE(TimeText(cs), text);
    }

    void profileInt_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("number");
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("leading digits") << "12abc" << 12;
        QTest::newRow("negative") << "-40" << -40;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("blanks first") << "  33" << 33;
        QTest::newRow("empty") << "" << 0;
    }
    void profileInt() {
        QFETCH(QString, value);
        QFETCH(int, number);
        QCOMPARE(ProfileInt(value), number);
    }

    void fontText() {
        FontDesc d;
        QVERIFY(FontDescFromText("-16,0,0,0,400,0,0,0,0,0,0,0,0,Arial", d));
        QCOMPARE(d.height, -16L);
        QCOMPARE(d.weight, 400L);
        QCOMPARE(d.faceName, QString("Arial"));
        QFont arial("Arial");
        arial.setPointSize(12);
        QCOMPARE(FontToText(arial), QString("-16,0,0,0,400,0,0,0,0,0,0,0,0,Arial"));
        QFont f;
        QVERIFY(FontFromText("-16,0,0,0,400,0,0,0,0,0,0,0,0,Arial", f));
        QCOMPARE(f.pixelSize(), 16);
        QCOMPARE(f.family(), QString("Arial"));

        // A face with spaces and commas-free rest of line, flags and charset survive.
        d = FontDesc{};
        d.height = -21;
        d.weight = 700;
        d.italic = 1;
        d.strikeOut = 1;
        d.charSet = 134;
        d.faceName = "Courier New";
        FontDesc back;
        QVERIFY(FontDescFromText(FontDescToText(d), back));
        QCOMPARE(back, d);
        // The face name is cut at 31 characters; a short text is no font.
        QVERIFY(FontDescFromText("1,2,3,4,5,6,7,8,9,10,11,12,13," + QString(40, 'x'), back));
        QCOMPARE(back.faceName.size(), 31);
        QVERIFY(!FontDescFromText("", back));
        QVERIFY(!FontDescFromText("-16,0,0,Arial", back));
    }

    void decodeText() {
        QCOMPARE(DecodeText("plain"), QString("plain"));
        QCOMPARE(DecodeText("\xEF\xBB\xBF\xE4\xB8\xAD"), QString::fromUtf8("中"));
        QCOMPARE(DecodeText(QByteArray("\xFF\xFE\x2D\x4E", 4)), QString::fromUtf8("中"));
        QCOMPARE(DecodeText("\xD6\xD0\xCE\xC4"), QString::fromUtf8("中文")); // GB18030
    }

    void iniKeepsWhatItDoesNotKnow() {
        QTemporaryDir dir;
        const QString path = dir.filePath("k.ini");
        WriteAll(path, "; comment\n[Other]\nKeep = me, please \n[UserGUI]\nWindowPos=1,2\n"
                       "[State]\nVolume=abc\nName=\"quoted\"\n");
        CIniFile ini;
        QVERIFY(ini.Load(path));
        QCOMPARE(ini.GetInt("state", "volume", 50), 0);
        QCOMPARE(ini.GetInt("State", "Missing", 50), 50);
        QCOMPARE(ini.GetString("Other", "Keep", ""), QString("me, please"));
        QCOMPARE(ini.GetString("State", "Name", ""), QString("quoted"));
        ini.SetString("State", "Volume", "70");
        ini.SetString("New", "Text", QString::fromUtf8("定时器1, 中文"));
        QVERIFY(ini.Save(path));
        QCOMPARE(ReadFileBytes(path),
                 QByteArray("; comment\r\n[Other]\r\nKeep=me, please\r\n[UserGUI]\r\n"
                            "WindowPos=1,2\r\n[State]\r\nVolume=70\r\n"
                            "Name=\"quoted\"\r\n[New]\r\n") +
                     QString::fromUtf8("Text=定时器1, 中文\r\n").toUtf8());
        CIniFile missing;
        QVERIFY(!missing.Load(dir.filePath("none.ini")));
        QCOMPARE(missing.GetString("A", "B", "def"), QString("def"));
    }

    void settingsFirstStartWritesEveryKeyInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kestrova.ini");
        {
            CAppSetting s;
            s.SetProfile(path);
            s.Load();
            QCOMPARE(s.ShowSplash, true);
            QCOMPARE(s.Volume, 50);
            QCOMPARE(s.CurrentPanel, 1);
            QCOMPARE(s.RedoError, true);
            QCOMPARE(s.IgnoreSpaces, 1);
            QCOMPARE(s.ToHardSent, 10);
            QCOMPARE(s.strAlarm2, QString("7:30:00"));
            QCOMPARE(s.strAlarmTxt3, QString::fromUtf8("定时器3"));
            QCOMPARE(s.BackgroundNoise, 980);
            QCOMPARE(s.MUSplitHigh, 150);
            QCOMPARE(s.GlobalFont, QString());
        }
        const QStringList lines =
            QString::fromUtf8(ReadFileBytes(path)).split("\r\n", Qt::SkipEmptyParts);
        QStringList expected;
        QString section;
        for (const auto& key : CAppSetting::StoreOrder()) {
            if (section != key.section) {
                section = key.section;
                expected << "[" + section + "]";
            }
            expected << QString(key.name) + "=";
        }
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].startsWith(expected[i]), qPrintable(lines[i]));
        QCOMPARE(lines[1], QString("GlobalFont="));
        QCOMPARE(lines[2], QString("ShowSplash=1"));
        QCOMPARE(lines[3], QString("AutoRun=0"));
        QVERIFY(lines.contains(QString::fromUtf8("strAlarmTxt1=定时器1")));
    }

    void settingsRoundTripAndQuirks() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kestrova.ini");
        WriteAll(path, "[State]\r\nVolume=abc\r\nMute=7\r\n[Dictation]\r\nIgnoreCase=5\r\n"
                       "[UserGUI]\r\nWindowPos=0,1,-1,-1,-1,-1,10,10,500,400\r\n"
                       "[DockState-Bar0]\r\nVisible=1\r\n");
        {
            CAppSetting s;
            s.SetProfile(path);
            s.Load();
            QCOMPARE(s.Volume, 0);
            QCOMPARE(s.Mute, true);    // flag: any non-zero
            QCOMPARE(s.IgnoreCase, 5); // integer flag: as read
            s.GlobalFont = "-19,0,0,0,400,0,0,0,0,0,0,0,0,Courier New";
            s.Tempo = -40;
            s.FinishAudio = QString::fromUtf8("/home/学生/prompt, one.wav");
        }
        CAppSetting s;
        s.SetProfile(path);
        s.Load();
        s.DisableStoreOnExit();
        QCOMPARE(s.GlobalFont, QString("-19,0,0,0,400,0,0,0,0,0,0,0,0,Courier New"));
        QCOMPARE(s.Tempo, -40);
        QCOMPARE(s.Mute, true);
        QCOMPARE(s.FinishAudio, QString::fromUtf8("/home/学生/prompt, one.wav"));
        QCOMPARE(s.Profile().GetString("UserGUI", "WindowPos", ""),
                 QString("0,1,-1,-1,-1,-1,10,10,500,400"));
        QCOMPARE(s.Profile().GetString("DockState-Bar0", "Visible", ""), QString("1"));
    }

    // Every integer key with the values probing found harmful: each loads within its range
    // (a value outside it as the default), so no index or count taken from it can go wrong.
    void settingsIntegersStayInRange_data() { AddDamagedIntegerRows(); }
    void settingsIntegersStayInRange() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kestrova.ini");
        WriteAll(path, QStringLiteral("[%1]\r\n%2=%3\r\n").arg(section, key).arg(value).toUtf8());
        CAppSetting s;
        s.SetProfile(path);
        s.Load();
        s.DisableStoreOnExit();
        for (const auto& k : CAppSetting::LoadOrder()) {
            if (key != k.name) continue;
            const int loaded = s.*std::get<int CAppSetting::*>(k.field);
            QVERIFY2(loaded >= k.low && loaded <= k.high, qPrintable(QString::number(loaded)));
            QCOMPARE(loaded, value >= k.low && value <= k.high ? value : k.intDefault);
        }
    }
    // The ranges hold every value the program itself stores.
    void settingsRangesKeepEveryChoiceOfTheProgram() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kestrova.ini");
        WriteAll(path, "[State]\r\nVolume=100\r\nOrder=3\r\nTempo=-60\r\nPitch=15\r\n"
                       "CurrentPanel=0\r\n[Repeat]\r\nRepeatAmount=20\r\nPauseFinishIndex=6\r\n"
                       "MoveStep=2000\r\nSentInterval=60\r\n[Dictation]\r\nToHardSent=99\r\n"
                       "[SplitAudio]\r\nBackgroundNoise=2000\r\nSentenceDist=0\r\n"
                       "AudioLength=36000\r\n");
        CAppSetting s;
        s.SetProfile(path);
        s.Load();
        s.DisableStoreOnExit();
        QCOMPARE(s.Volume, 100);
        QCOMPARE(s.Order, 3);
        QCOMPARE(s.Tempo, -60);
        QCOMPARE(s.Pitch, 15);
        QCOMPARE(s.CurrentPanel, 0);
        QCOMPARE(s.RepeatAmount, 20);
        QCOMPARE(s.PauseFinishIndex, 6);
        QCOMPARE(s.MoveStep, 2000);
        QCOMPARE(s.SentInterval, 60);
        QCOMPARE(s.ToHardSent, 99);
        QCOMPARE(s.BackgroundNoise, 2000);
        QCOMPARE(s.SentenceDist, 0);
        QCOMPARE(s.AudioLength, 36000);
    }

    void settingsUnwritableProfileFailsSilently() {
        // A profile that cannot be written (here: its folder is gone) leaves nothing behind
        // and raises no message.
        QTemporaryDir dir;
        ScopedMessages messages;
        {
            CAppSetting s;
            s.SetProfile(dir.filePath("gone/Kestrova.ini"));
            s.Load();
            QVERIFY(!s.Store());
        }
        QVERIFY(!QFile::exists(dir.filePath("gone/Kestrova.ini")));
        QVERIFY(messages.texts.isEmpty());
    }

    void removeFolderContents() {
        QTemporaryDir dir;
        const QString temp = dir.filePath("Temp");
        QDir().mkpath(temp + "/sub/deeper");
        WriteAll(temp + "/a.txt", "a");
        WriteAll(temp + "/sub/deeper/b.txt", "b");
        WriteAll(temp + "/readonly.dat", "r");
        QFile::setPermissions(temp + "/readonly.dat", QFile::ReadOwner);
        QFile::setPermissions(temp + "/sub", QFile::ReadOwner | QFile::ExeOwner);
        ScopedMessages messages;
        QVERIFY(RemoveFolderContents(temp, false));
        QVERIFY(QDir(temp).exists());
        QVERIFY(QDir(temp).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(RemoveFolderContents(temp, true));
        QVERIFY(!QDir(temp).exists());
    }

    void programFolderFollowsHome() {
        QTemporaryDir dir;
        ScopedEnv home("KESTROVA_HOME", dir.path().toUtf8());
        QString folder;
        QVERIFY(GetProgramFolder(folder));
        QCOMPARE(folder, dir.path() + "/");
        QCOMPARE(DataFolder(), dir.path() + "/");
        QCOMPARE(ProfilePath(), dir.path() + "/Kestrova.ini");
        qunsetenv("KESTROVA_HOME"); // `home` still brings back what was there before
        QVERIFY(GetProgramFolder(folder));
        QCOMPARE(folder, QCoreApplication::applicationDirPath() + "/");
    }
};

QTEST_MAIN(TestCommon)
#include "tst_common.moc"
