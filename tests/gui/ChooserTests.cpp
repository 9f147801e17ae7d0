// The folder chooser: where it opens, what it shows, and what OK and Cancel do to the window.
#include <QFile>
#include <QTimer>
#include <functional>

#include "folder/FolderList.h"
#include "folder/FolderPaths.h"
#include "folder/Form2.h"
#include "gui/WindowFixture.h"

namespace brieflist {
namespace {

using test::Native;

QString WithSeparator(const std::string& Path) {
  return Native(Path) + QDir::separator();
}

// Drives in a temporary folder: C (the process's), D with D/Games/DF2, Z without a medium.
class FolderChooserTest : public test::WindowTest {
 protected:
  void SetUp() override {
    for (const std::string& folder :
         {In("C", "work"), In("D", "Games", "DF2"), In("D", "Games", "Other"), In("D", "Empty")})
      std::filesystem::create_directories(folder);
    sample::MissionSpec mission;
    mission.MissionName = "Dawn";
    sample::WriteFile(JoinPath(In("D", "Games", "DF2"), "M1.BMS"), sample::BuildMission(mission));
    Drives.List = {{Native(In("C")), "C"}, {Native(In("D")), "D"}, {Native(In("Z")), "Z"}};
    SavedCurrent = QDir::currentPath();
    QDir::setCurrent(Native(In("C", "work")));
    WindowTest::SetUp();
    Window->UseChooserSources(Settings, Drives);
  }
  void TearDown() override {
    Window.reset();
    QDir::setCurrent(SavedCurrent);
  }

  std::string In(const std::string& A, const std::string& B = "", const std::string& C = "") {
    std::string path = Root.File(A);
    if (!B.empty()) path = JoinPath(path, B);
    if (!C.empty()) path = JoinPath(path, C);
    return path;
  }

  struct WhileOpen {
    bool Ran = false;
    bool WindowEnabled = true;
  };
  // Clicks OpenPath and, once the chooser waits, runs Act on it; Act must end the chooser.
  WhileOpen OpenPath(const std::function<void(Form2&)>& Act) {
    WhileOpen seen;
    QTimer::singleShot(0, Window.get(), [&] {
      auto* chooser = qobject_cast<Form2*>(QApplication::activeModalWidget());
      if (!chooser) {
        ADD_FAILURE() << "the chooser is not the active modal window";
        return;
      }
      seen.Ran = true;
      seen.WindowEnabled = Window->isEnabled();
      Act(*chooser);
      if (chooser->isVisible()) {
        ADD_FAILURE() << "the chooser was left open";
        chooser->done(QDialog::Rejected);
      }
    });
    QTest::mouseClick(Control<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_TRUE(seen.Ran);
    return seen;
  }

  static QLabel& Label1(Form2& Chooser) { return *Chooser.findChild<QLabel*>("Label1"); }
  static QComboBox& Drive1(Form2& Chooser) { return *Chooser.findChild<QComboBox*>("Drive1"); }
  static FolderList& Dir1(Form2& Chooser) { return *Chooser.findChild<FolderList*>("Dir1"); }
  static void Click(Form2& Chooser, const char* Button) {
    QTest::mouseClick(Chooser.findChild<QPushButton*>(Button), Qt::LeftButton);
  }
  // Double-clicks the entry Name below the folder list's open folder, as a person opens it.
  static void OpenInList(Form2& Chooser, const QString& Name) {
    FolderList& list = Dir1(Chooser);
    QTreeWidgetItem* open = list.currentItem();
    ASSERT_NE(open, nullptr);
    for (int i = 0; i < open->childCount(); ++i) {
      if (open->child(i)->text(0) != Name) continue;
      const QPoint at = list.visualItemRect(open->child(i)).center();
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
      return;
    }
    FAIL() << "no folder " << Name.toStdString() << " in " << list.Path().toStdString();
  }

  test::TempFolder Root;
  QString SavedCurrent;
};

// Windows names a drive's root in either letter case: the default "c:\" is the folder "C:\".
QString Folded(const QString& Path) {
#ifdef _WIN32
  return Path.toLower();
#else
  return Path;
#endif
}

TEST_F(FolderChooserTest, FirstRunOpensOnTheDefaultAndOkStoresAndRefreshesIt) {
#ifndef _WIN32
  // The default is the home folder: one of our own, with a mission in it.
  const QByteArray savedHome = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(Native(In("D", "Games", "DF2"))));
#endif
  const QString expected = DefaultFolder();
  const WhileOpen seen = OpenPath([&](Form2& chooser) {
    EXPECT_EQ(Folded(chooser.SelectedPath()), Folded(expected));
    Click(chooser, "Command1");
  });
#ifndef _WIN32
  qputenv("HOME", savedHome);
#endif
  EXPECT_FALSE(seen.WindowEnabled);
  EXPECT_TRUE(Window->isEnabled());
  EXPECT_EQ(Folded(Settings.Path()), Folded(expected));
  EXPECT_EQ(Folded(QString::fromStdString(State.GameDirectory)), Folded(expected));
  EXPECT_TRUE(CatalogueCommandsEnabled());
#ifndef _WIN32
  ASSERT_EQ(State.LastMission, 0);
  EXPECT_EQ(Grid().Model().Cell(0, 1), "Dawn");
#endif
}

TEST_F(FolderChooserTest, AFolderOpenedInTheListIsShownStoredAndRefreshed) {
  const QString df2 = WithSeparator(In("D", "Games", "DF2"));
  OpenPath([&](Form2& chooser) {
    EXPECT_EQ(Folded(chooser.SelectedPath()), Folded(DefaultFolder()));
    Drive1(chooser).setCurrentIndex(1);  // the user picks D
    EXPECT_EQ(chooser.SelectedPath(), WithSeparator(In("D")));
    OpenInList(chooser, "Games");
    Drive1(chooser).setCurrentIndex(2);  // Z: cannot be read, the drive list is put back
    EXPECT_EQ(Drive1(chooser).currentIndex(), 1);
    EXPECT_EQ(chooser.SelectedPath(), WithSeparator(In("D", "Games")));
    OpenInList(chooser, "DF2");
    EXPECT_EQ(Label1(chooser).text(), df2);
    QTest::keyClick(&Dir1(chooser), Qt::Key_Return);  // as OK
  });
  EXPECT_EQ(Settings.Path(), df2);
  EXPECT_EQ(QString::fromStdString(State.GameDirectory), df2);
  EXPECT_EQ(Grid().Model().Cell(0, 0), "M1.BMS");

  // Read afresh at the next opening: both lists come back on the folder. OK confirms the
  // highlighted folder, not only the open one.
  OpenPath([&](Form2& chooser) {
    EXPECT_EQ(chooser.SelectedPath(), df2);
    EXPECT_EQ(Dir1(chooser).Path(), Native(In("D", "Games", "DF2")));
    EXPECT_EQ(Drive1(chooser).currentIndex(), 1);
    QTest::keyClick(&Dir1(chooser), Qt::Key_Up);  // highlights the folder above
    Click(chooser, "Command1");
  });
  EXPECT_EQ(Settings.Path(), WithSeparator(In("D", "Games")));
}

TEST_F(FolderChooserTest, ATypedPathGetsOneTrailingSeparatorAndIsNotChecked) {
  const QString typed = QString("E:") + QDir::separator() + "DF";
  for (const QString& answer : {typed, QString()}) {  // an empty answer cancels
    Dialogs.InputAnswers = {answer};
    Dialogs.Inputs.clear();
    Settings.Entries.clear();
    QString before;
    OpenPath([&](Form2& chooser) {
      before = chooser.SelectedPath();
      const QString listed = Dir1(chooser).Path();
      QTest::mouseClick(&Label1(chooser), Qt::LeftButton);
      EXPECT_EQ(Dir1(chooser).Path(), listed);  // neither list moves
      Click(chooser, "Command1");
    });
    EXPECT_EQ(Dialogs.Inputs, QStringList{before});
    const QString expected = answer.isEmpty() ? before : typed + QDir::separator();
    EXPECT_EQ(Settings.Path(), expected) << answer.toStdString();
    EXPECT_EQ(QString::fromStdString(State.GameDirectory), expected);
  }
}

TEST_F(FolderChooserTest, CancelBeforeAnyFolderChangesNothingAndOkOnAnEmptyFolderEnablesAll) {
  OpenPath([&](Form2& chooser) { Click(chooser, "Command2"); });
  EXPECT_EQ(State.GameDirectory, "");
  EXPECT_FALSE(CatalogueCommandsEnabled());
  EXPECT_EQ(Settings.Writes, 0);
  // A settings store that cannot be written is reported, and the folder still used.
  Settings.Path() = WithSeparator(In("D", "Empty"));
  Settings.Failure = "/ro/Brieflist.conf: cannot be written";
  OpenPath([&](Form2& chooser) { Click(chooser, "Command1"); });
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].contains("/ro/Brieflist.conf: cannot be written"));
  EXPECT_EQ(QString::fromStdString(State.GameDirectory), WithSeparator(In("D", "Empty")));
  EXPECT_EQ(Grid().Model().rowCount(), 0);
  EXPECT_TRUE(CatalogueCommandsEnabled());
}

TEST_F(FolderChooserTest, CancelAfterAFolderKeepsItsCatalogueWithoutARefresh) {
  Window->OpenFolder(In("D", "Games", "DF2"));
  const std::string earlier = State.GameDirectory;
  // A second mission appears: a refresh would show it.
  sample::WriteFile(JoinPath(In("D", "Games", "DF2"), "M2.BMS"),
                    sample::BuildMission(sample::MissionSpec{}));

  // Cancel, Escape and the window manager's close button all cancel.
  const std::function<void(Form2&)> ways[] = {
      [](Form2& chooser) { Click(chooser, "Command2"); },
      [](Form2& chooser) { QTest::keyClick(&chooser, Qt::Key_Escape); },
      [](Form2& chooser) { chooser.close(); },
  };
  for (const auto& cancel : ways) {
    OpenPath([&](Form2& chooser) {
      Drive1(chooser).setCurrentIndex(1);
      cancel(chooser);
    });
    EXPECT_EQ(State.GameDirectory, earlier);
    EXPECT_EQ(Grid().Model().rowCount(), 1);
    EXPECT_TRUE(Window->isEnabled());
  }
  EXPECT_EQ(Settings.Writes, 0);
}

// A remembered folder on a drive that is gone: both lists open where the process runs.
TEST_F(FolderChooserTest, ARememberedFolderOnAGoneDriveOpensAtTheCurrentFolder) {
  Settings.Path() = WithSeparator(In("Z", "DF"));
  OpenPath([&](Form2& chooser) {
    EXPECT_EQ(Dir1(chooser).Path(), Native(In("C", "work")));
    EXPECT_EQ(Drive1(chooser).currentIndex(), 0);
    EXPECT_EQ(chooser.SelectedPath(), WithSeparator(In("C", "work")));
    Click(chooser, "Command2");
  });
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST(FolderPaths, AddBackslashAddsExactlyOneSeparator) {
  const QString sep = QDir::separator();
  const std::pair<QString, QString> cases[] = {
      {"", sep}, {"DF", "DF" + sep}, {"DF" + sep, "DF" + sep}};
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(AddBackslash(path), expected) << path.toStdString();
}

TEST(FolderPaths, APathLiesOnTheDriveWithTheLongestRoot) {
#ifdef _WIN32
  const std::vector<Drive> drives = {{"c:\\", "c:"}, {"d:\\", "d:"}};
  const std::pair<QString, int> cases[] = {
      {"C:\\Games\\DF2\\", 0}, {"d:\\", 1}, {"D:", -1}, {"e:\\DF", -1}, {"\\\\server\\df", -1}};
#else
  const std::vector<Drive> drives = {{"/", "/"}, {"/media/usb", "/media/usb"}, {"/mnt/", "/mnt/"}};
  const std::pair<QString, int> cases[] = {
      {"/media/usb/DF2/", 1}, {"/media/usb2/DF", 0}, {"/mnt/x", 2}, {"relative/DF", -1}};
#endif
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(DriveIndexOf(drives, path), expected) << path.toStdString();
}

// The system's drives: on Windows its letters, the system drive among them; elsewhere "/" first.
TEST(SystemDrivesTest, ListsTheSystemsRoots) {
  const std::vector<Drive> drives = SystemDrives().Drives();
  ASSERT_FALSE(drives.empty());
#ifdef _WIN32
  QStringList roots;
  for (const Drive& drive : drives) {
    EXPECT_TRUE(drive.Root.size() == 3 && drive.Root[0].isUpper() && drive.Root.endsWith(":\\"))
        << drive.Root.toStdString();
    EXPECT_EQ(drive.Text, drive.Root.left(2));
    roots << drive.Root;
  }
  EXPECT_TRUE(roots.contains(qEnvironmentVariable("SystemDrive") + '\\'));
#else
  EXPECT_EQ(drives[0].Root, "/");
#endif
}

#ifdef _WIN32
// The chooser's store is the registry on Windows: HKEY_CURRENT_USER\Software\<application>, a
// subkey per section, the INI file's names. Under a name of its own, removed afterwards.
TEST(SettingsStoreTest, NativeStoreIsTheUsersRegistryKey) {
  const QString application = QString("Brieflist test %1").arg(QCoreApplication::applicationPid());
  const QString folder = "C:\\Games\\DF2\\";
  QtSettingsStore store(QSettings::NativeFormat);
  EXPECT_EQ(store.Write(application, "Folder", "Path", folder), "");
  QSettings software("HKEY_CURRENT_USER\\Software", QSettings::NativeFormat);
  EXPECT_EQ(software.value(application + '/' + application + "/Folder/Path"), folder);
  EXPECT_EQ(store.Read(application, "Folder", "Path", ""), folder);
  software.remove(application);
}
#endif

}  // namespace
}  // namespace brieflist
