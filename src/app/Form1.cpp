#include "app/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <span>

#include "app/About.h"
#include "app/DiskWatch.h"
#include "app/DroppedItem.h"
#include "catalogue/RefreshCatalogue.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "exchange/ListApply.h"
#include "exchange/ListFile.h"
#include "folder/FolderPaths.h"
#include "folder/Form2.h"
#include "platform/Paths.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Drives.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/Twips.h"
#include "view/FillGrid.h"
#include "view/GridFilter.h"
#include "view/MissionGrid.h"
#include "view/PopUpMenus.h"

namespace brieflist {
namespace {

constexpr const char* kCaption = "VyK Tallis's Brieflist";
constexpr const char* kNotInList = "File Not Found In Current List!";

constexpr const char* kListFilter = "Brieflist List (*.BRL)";
constexpr const char* kListSuffix = "BRL";
// The dialog gives a full path: "C:\.BRL", a drive, a separator and the suffix, is the shortest
// that can name a list file; anything shorter is refused.
constexpr qsizetype kShortestListName = 7;
constexpr const char* kExportNameInvalid = "Entered File Name InValid!";
constexpr const char* kImportPathInvalid = "File Path Invalid!";
constexpr const char* kListSaved = "List Saved to:";

// The design size of the client area, and the resize rule's numbers, in twips.
constexpr int kClientWidth = 10815;
constexpr int kClientHeight = 3150;
constexpr int kGridLeft = 2280;
constexpr int kGridTop = 120;
constexpr int kResizeThreshold = 4275;
constexpr int kGridRightGap = 2520;
constexpr int kGridBottomGap = 616;
// The summary's place below the filter: two lines, down to the client area's bottom edge.
constexpr int kSummaryTop = 2700;
constexpr int kSummaryHeight = 420;

// How the grid was last shown, remembered beside the folder for the next run.
constexpr const char* kGridSection = "Grid";
constexpr const char* kResolveKey = "ResolveMapNames";
constexpr const char* kSortColumnKey = "SortColumn";  // -1: catalogue order
constexpr const char* kSortAscendingKey = "SortAscending";

QPushButton* MakeButton(QWidget& Window, const char* Name, const char* Caption, int Left, int Top,
                        bool Enabled) {
  auto* button = new QPushButton(QString::fromLatin1(Caption), &Window);
  button->setObjectName(QString::fromLatin1(Name));
  button->setGeometry(TwipsRect(Left, Top, 975, 255, Window));
  button->setAutoDefault(false);
  button->setEnabled(Enabled);
  return button;
}

// The design's widths were made for a narrow bitmap font; in a wider one a long caption is cut
// short. Such a caption gets a narrower font: condensed first, then smaller.
void FitCaption(QPushButton& Button) {
  const int frame = Button.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &Button);
  const int room = Button.width() - 2 * frame - 2;
  QFont font = Button.font();
  const auto fits = [&] { return QFontMetrics(font).horizontalAdvance(Button.text()) <= room; };
  for (int stretch = 100; !fits() && stretch > 70; stretch -= 5) font.setStretch(stretch - 5);
  while (!fits() && font.pointSizeF() > 6) font.setPointSizeF(font.pointSizeF() - 0.25);
  Button.setFont(font);
}

// The one message that closes an import, with the whole list of missing missions to copy.
void ShowImportSummary(Dialogs& D, const ApplyResult& Result) {
  D.ShowReport(FromEngineMessage(ApplySummaryText(Result)),
               FromEngineMessage(MissingRowsText(Result)));
}

}  // namespace

Form1::Form1(CatalogueState& State, FileSystem& Files, Dialogs& D, QWidget* Parent)
    : QWidget(Parent),
      State_(State),
      Dialogs_(D),
      Host_(D),
      Watch_(std::make_unique<DiskWatch>(Files)),
      Platform_{Watch_->Files(), EngineHost_} {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kCaption));
  setWindowIcon(QIcon(QStringLiteral(":/brieflist.png")));
  setFont(MissionGrid::RequestedFont());
  CreateControls();

  // Without a data folder the window still switches missions, unrecorded; an undo then says why
  // it cannot.
  if (auto path = UserJournalPath()) {
    Journal_ = std::make_unique<PatchJournal>(Files, *path);
    Journal_->OnNotice = [this](const std::string& Text) {
      if (!Host_.Quiet) Dialogs_.ShowMessage(FromEngineMessage(Text));
    };
    Platform_.Journal = Journal_.get();
    EngineHost_.Journal = Journal_.get();
  }

  Host_.ShowProgress = [this](size_t Done, size_t Total) {
    Working_ = QStringLiteral("Working\u2026 %1%").arg(Total > 0 ? Done * 100 / Total : 0);
    UpdateSummary();
  };
  connect(Watch_.get(), &DiskWatch::Changed, this, &Form1::FollowDisk);
  setAcceptDrops(true);

  Load();
  resize(TwipsToPixelsX(kClientWidth, *this), TwipsToPixelsY(kClientHeight, *this));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  StartPlacement_ = CurrentPlacement();
}

Form1::~Form1() = default;

template <typename Call>
auto Form1::Busy(Call&& C) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Host_.StartWork();
  const auto restore = qScopeGuard([this] {
    Host_.EndWork();
    QApplication::restoreOverrideCursor();
    if (Working_.isEmpty()) return;
    Working_.clear();
    UpdateSummary();
  });
  return C();
}

void Form1::RememberPlacement(SettingsStore& Settings) {
  PlacementStore_ = &Settings;
  if (const auto stored = ReadPlacement(Settings)) {
    // A screen that is gone leaves the window centred at its design size.
    const QRect normal(stored->Frame, stored->Size);
    if (const auto fitted = FitOnScreens(normal, QGuiApplication::screens())) {
      resize(fitted->size());
      move(fitted->topLeft());
      if (stored->Maximized) setWindowState(windowState() | Qt::WindowMaximized);
    }
  }
  StartPlacement_ = CurrentPlacement();
}

WindowPlacement Form1::CurrentPlacement() const {
  // Frame positions, as move() takes them: they hold before and after the frame is known.
  if (!isMaximized() && !isMinimized() && !isFullScreen()) return {pos(), size(), false};
  const QRect normal = normalGeometry();
  const QPoint frame = normal.topLeft() - (geometry().topLeft() - frameGeometry().topLeft());
  return {frame, normal.size(), isMaximized()};
}

void Form1::UseChooserSources(SettingsStore& Settings, DriveSource& Drives) {
  Settings_ = &Settings;
  Drives_ = &Drives;
}

void Form1::CreateControls() {
  FG_ = new MissionGrid(this);
  FG_->setGeometry(TwipsRect(kGridLeft, kGridTop, 8415, 2895, *this));
  Command1_ = MakeButton(*this, "Command1", "OpenPath", 120, 120, true);
  Command2_ = MakeButton(*this, "Command2", "About", 1200, 120, true);
  Command3_ = MakeButton(*this, "Command3", "ExportList", 120, 480, false);
  Command4_ = MakeButton(*this, "Command4", "ImportList", 1200, 480, true);
  Command5_ = MakeButton(*this, "Command5", "UpDateList", 120, 840, false);
  Command6_ = MakeButton(*this, "Command6", "RefreshList", 1200, 840, false);
  ResolveMapName_ = new QCheckBox(QStringLiteral("Resolve Map Names"), this);
  ResolveMapName_->setObjectName(QStringLiteral("ResolveMapName"));
  ResolveMapName_->setGeometry(TwipsRect(120, 1200, 2055, 375, *this));
  ResolveMapName_->setEnabled(false);

  CreateFilterControls();

  QWidget* order[] = {FG_,         Command1_,  Command2_,    Command3_,
                      Command4_,   Command5_,  Command6_,    ResolveMapName_,
                      FilterText_, ShowState_, EnableShown_, DisableShown_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  Menus_ = std::make_unique<PopUpMenus>(*this);

  connect(Command1_, &QPushButton::clicked, this, &Form1::OpenPath);
  connect(Command2_, &QPushButton::clicked, this, &Form1::About);
  connect(Command3_, &QPushButton::clicked, this, &Form1::ExportList);
  connect(Command4_, &QPushButton::clicked, this, &Form1::ImportList);
  connect(Command5_, &QPushButton::clicked, this, &Form1::UpDateList);
  connect(Command6_, &QPushButton::clicked, this, &Form1::RefreshList);
  connect(ResolveMapName_, &QCheckBox::clicked, this, &Form1::ResolveMapNameClicked);
  connect(FG_->horizontalHeader(), &QHeaderView::sectionClicked, this, &Form1::TitleClicked);
  connect(FG_, &MissionGrid::MouseUp, this, &Form1::GridMouseUp);
  connect(FG_, &MissionGrid::MenuKeyPressed, this, &Form1::GridMenuKey);
  connect(FG_, &MissionGrid::EnabledSpacePressed, this, &Form1::EnableDisable);
  connect(FilterText_, &QLineEdit::textChanged, this, &Form1::ApplyFilter);
  connect(ShowState_, &QComboBox::currentIndexChanged, this, &Form1::ApplyFilter);
  connect(EnableShown_, &QPushButton::clicked, this, &Form1::EnableShown);
  connect(DisableShown_, &QPushButton::clicked, this, &Form1::DisableShown);
  FilterText_->installEventFilter(this);
  auto* undo = new QShortcut(QKeySequence::Undo, this);
  connect(undo, &QShortcut::activated, this, &Form1::UndoLastPatch);
  CreateShortcuts();
}

void Form1::CreateShortcuts() {
  const std::pair<QPushButton*, QKeySequence> keys[] = {
      {Command5_, QKeySequence(Qt::Key_F5)},
      {Command1_, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {Command3_, QKeySequence(Qt::CTRL | Qt::Key_S)},
      {Command4_, QKeySequence(Qt::CTRL | Qt::Key_I)}};
  // A greyed button's key does nothing, as the button does.
  for (const auto& [button, key] : keys) {
    button->setShortcut(key);
    button->setToolTip(
        QStringLiteral("%1 (%2)").arg(button->text(), key.toString(QKeySequence::NativeText)));
  }
  const QKeySequence find(Qt::CTRL | Qt::Key_F);
  FilterText_->setToolTip(
      QStringLiteral("Filter (%1; Escape clears it)").arg(find.toString(QKeySequence::NativeText)));
  auto* toFilter = new QShortcut(find, this);
  connect(toFilter, &QShortcut::activated, this, [this] {
    FilterText_->setFocus(Qt::ShortcutFocusReason);
    FilterText_->selectAll();
  });
  auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), FilterText_);
  clear->setContext(Qt::WidgetShortcut);
  connect(clear, &QShortcut::activated, FilterText_, &QLineEdit::clear);
}

void Form1::CreateFilterControls() {
  FilterText_ = new QLineEdit(this);
  FilterText_->setObjectName(QStringLiteral("FilterText"));
  FilterText_->setPlaceholderText(QStringLiteral("Filter"));
  FilterText_->setAccessibleName(QStringLiteral("Filter"));
  FilterText_->setGeometry(TwipsRect(120, 1680, 2055, 285, *this));
  FilterText_->setEnabled(false);

  ShowState_ = new QComboBox(this);
  ShowState_->setObjectName(QStringLiteral("ShowState"));
  // In the order of ShowStateChoice.
  ShowState_->addItems({QStringLiteral("All missions"), QStringLiteral("Enabled only"),
                        QStringLiteral("Disabled only")});
  ShowState_->setGeometry(TwipsRect(120, 2040, 2055, 285, *this));
  ShowState_->setEnabled(false);

  EnableShown_ = MakeButton(*this, "EnableShown", "Enable shown", 120, 2400, false);
  DisableShown_ = MakeButton(*this, "DisableShown", "Disable shown", 1200, 2400, false);
  FitCaption(*EnableShown_);
  FitCaption(*DisableShown_);

  Summary_ = new QLabel(this);
  Summary_->setObjectName(QStringLiteral("Summary"));
  Summary_->setAccessibleName(QStringLiteral("Summary"));
  Summary_->setGeometry(TwipsRect(120, kSummaryTop, 2055, kSummaryHeight, *this));
  // Two lines, each cut to the width (see UpdateSummary): all of it stays inside the window.
  Summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Summary_->setTextFormat(Qt::PlainText);
  Summary_->setEnabled(false);
}

void Form1::EnableCatalogueCommands(bool WithResolveMapName) {
  Command3_->setEnabled(true);
  Command5_->setEnabled(true);
  Command6_->setEnabled(true);
  if (WithResolveMapName) ResolveMapName_->setEnabled(true);
  for (QWidget* control : std::initializer_list<QWidget*>{FilterText_, ShowState_, EnableShown_,
                                                          DisableShown_, Summary_})
    control->setEnabled(true);
}

void Form1::Load() {
  ResolveMapName_->setChecked(false);
  State_.MapNames.resize(1);
  State_.Missions.clear();
  State_.LastMission = -1;
  SortAscending_.fill(false);
  ShowLoadTitles(*FG_);
}

void Form1::OpenFolder(const std::string& Folder) {
  const Command command(*this);
  const auto read = [this](const char* Key) {
    return Settings_ ? Settings_->Read(QString::fromLatin1(kSettingsApplication),
                                       QString::fromLatin1(kGridSection), QString::fromLatin1(Key),
                                       QString())
                     : QString();
  };
  const QString truth = QStringLiteral("True");
  if (Settings_) ResolveMapName_->setChecked(read(kResolveKey) == truth);
  bool isNumber = false;
  const int sortColumn = read(kSortColumnKey).toInt(&isNumber);
  State_.GameDirectory = Folder;
  if (!EndsWithSeparator(State_.GameDirectory)) State_.GameDirectory += kSeparator;
  Refresh();
  if (Ending_) return;
  if (isNumber && sortColumn >= 0 && sortColumn < kGridColumns) {
    const bool ascending = read(kSortAscendingKey) == truth;
    SortAscending_[static_cast<size_t>(sortColumn)] = ascending;
    FG_->Model().SortByColumn(sortColumn, ascending);
    SortColumn_ = sortColumn;
  }
  EnableCatalogueCommands(true);
  UpdateSummary();
}

void Form1::RememberGridView() {
  if (!Settings_) return;
  const auto truth = [](bool Value) { return QLatin1String(Value ? "True" : "False"); };
  const std::pair<const char*, QString> entries[] = {
      {kResolveKey, truth(ResolveMapName_->isChecked())},
      {kSortColumnKey, QString::number(SortColumn_)},
      {kSortAscendingKey,
       truth(SortColumn_ >= 0 && SortAscending_[static_cast<size_t>(SortColumn_)])}};
  // Not worth a message: the view is only a convenience for the next run.
  for (const auto& [key, value] : entries)
    Settings_->Write(QString::fromLatin1(kSettingsApplication), QString::fromLatin1(kGridSection),
                     QString::fromLatin1(key), value);
}

void Form1::EnsureChooserSources() {
  if (Settings_) return;
  OwnSettings_ = std::make_unique<QtSettingsStore>();
  OwnDrives_ = std::make_unique<SystemDrives>();
  UseChooserSources(*OwnSettings_, *OwnDrives_);
}

void Form1::OpenPath() {
  const Command command(*this);
  EnsureChooserSources();
  Form2 chooser(*Settings_, *Drives_, Dialogs_);
  setEnabled(false);
  chooser.exec();
  if (!command) return;
  setEnabled(true);
  raise();
  activateWindow();
  // A cancel leaves the folder, the catalogue and the commands as they were.
  if (chooser.Chosen()) OpenFolder(*chooser.Chosen());
}

void Form1::ExportList() {
  const Command command(*this);
  // A list without some missions looks whole, and may replace one that is: ask first.
  if (!Catalogued_.Problems.empty() &&
      !Dialogs_.AskYesNo(ProblemsText(Catalogued_) +
                         QStringLiteral("\n\nThe list would lack the missions of these files. "
                                        "Save it anyway?")))
    return;
  const QString name = Dialogs_.SaveFileName(QString::fromLatin1(kListFilter),
                                             QString::fromLatin1(kListSuffix), LastListFile_);
  if (name.isEmpty()) return;
  LastListFile_ = name;
  if (name.size() < kShortestListName) {
    Dialogs_.ShowMessage(QString::fromLatin1(kExportNameInvalid));
    return;
  }
  const std::string path = ToEnginePath(name);
  if (path.empty()) {
    Dialogs_.ShowMessage(QStringLiteral("Could not save the list to %1: its name has characters "
                                        "outside Windows-1252")
                             .arg(name));
    return;
  }
  const ExportResult result = Busy([&] { return ExportListFile(State_, Platform_.Files, path); });
  if (!result.Ok) {
    Dialogs_.ShowMessage(FromEngineMessage(result.Message));
    return;
  }
  Dialogs_.ShowMessage(QString::fromLatin1(kListSaved) + QLatin1Char('\n') + name);
}

void Form1::ImportList() {
  const Command command(*this);
  ImportListNamed(Dialogs_.OpenFileName(QString::fromLatin1(kListFilter), LastListFile_));
}

void Form1::ImportListNamed(const QString& name) {
  if (name.isEmpty()) return;
  const Command command(*this);
  LastListFile_ = name;
  if (name.size() < kShortestListName) {
    Dialogs_.ShowMessage(QString::fromLatin1(kImportPathInvalid));
    return;
  }
  const std::string path = ToEnginePath(name);
  if (path.empty()) {
    Dialogs_.ShowMessage(QStringLiteral("Could not read the list %1: its name has characters "
                                        "outside Windows-1252")
                             .arg(name));
    return;
  }
  // A list saved on another computer names a folder that is not here: it can only be applied
  // to the open folder, by name.
  ListDecodeResult list = ReadListFile(Platform_.Files, path);
  if (list.Ok && !list.Rows.empty()) {
    const std::string folder = FolderOfPath(list.Rows.front().SourceFile);
    if (folder.empty() || !Platform_.Files.IsFolder(folder)) {
      ApplyListToOpenFolder(std::move(list.Rows), true);
      return;
    }
    // Saved for another folder of this computer while one is open: which one is meant?
    if (!State_.GameDirectory.empty() && Platform_.Files.IsFolder(State_.GameDirectory) &&
        !SameFolder(folder, State_.GameDirectory)) {
      const int answer = Dialogs_.Choose(
          QStringLiteral("This list was saved for %1. Apply it there, or to the open folder %2?")
              .arg(FromNativeName(folder), FromNativeName(State_.GameDirectory)),
          {QStringLiteral("Apply there"), QStringLiteral("Apply to the open folder")}, 0);
      if (answer < 0 || !command) return;
      if (answer == 1) {
        ApplyListToOpenFolder(std::move(list.Rows), false);
        return;
      }
    }
  }
  const ImportResult result =
      Busy([&] { return brieflist::ImportList(State_, Platform_, std::move(list)); });
  switch (result.Status) {
    case ImportStatus::BadListFile:
      Dialogs_.ShowMessage(FromEngineMessage(result.Message));
      return;
    case ImportStatus::NoRows:
      return;
    case ImportStatus::Stopped:
    case ImportStatus::Done:
      break;
  }
  // Each row's problem, in row order, as the import met them; the file that stopped it last.
  for (const ApplyRow& row : result.Applied.Rows) {
    if (!row.Fault) continue;
    Dialogs_.ShowMessage(FromEngineMessage(ProblemText(*row.Fault)));
    if (!command) return;
  }
  if (result.Status == ImportStatus::Stopped) {
    ShowImportSummary(Dialogs_, result.Applied);
    return;
  }
  const RefreshReport report = Busy([&] { return RefreshCatalogue(State_, Platform_); });
  Rebuilt(report);
  EnableCatalogueCommands(false);
  UpdateSummary();
  if (!command) return;
  if (!report.Problems.empty()) Dialogs_.ShowMessage(ProblemsText(report));
  ShowImportSummary(Dialogs_, result.Applied);
}

bool Form1::SameFolder(const std::string& A, const std::string& B) const {
  const auto a = Platform_.Files.IdentityOf(A);
  const auto b = Platform_.Files.IdentityOf(B);
  return a && b ? *a == *b : A == B;
}

void Form1::ApplyListToOpenFolder(std::vector<MissionEntry> Rows, bool Ask) {
  const QString saved = FromNativeName(ListFolderOf(Rows.front().SourceFile));
  if (State_.GameDirectory.empty() || !Platform_.Files.IsFolder(State_.GameDirectory)) {
    Dialogs_.ShowMessage(QStringLiteral("This list was saved for %1, which is not on this "
                                        "computer, and no game folder is open. Open one with "
                                        "OpenPath, then import the list again to apply it there.")
                             .arg(saved));
    return;
  }
  const QString question = QStringLiteral(
                               "This list was saved for %1, which is not on this "
                               "computer. Apply it to the open folder %2?")
                               .arg(saved, FromNativeName(State_.GameDirectory));
  if (Ask && !Dialogs_.AskYesNo(question)) return;
  const ApplyResult result = Busy(
      [&] { return ApplyListToFolder(Platform_, Rows, State_.GameDirectory, ApplyMode::Write); });
  State_.ImportedMissions = std::move(Rows);
  State_.LastImported = static_cast<int32_t>(State_.ImportedMissions.size()) - 1;
  if (Ending_) return;
  Refresh();
  if (Ending_) return;
  ShowImportSummary(Dialogs_, result);
}

void Form1::About() {
  const Command command(*this);
  setEnabled(false);
  Dialogs_.ShowMessage(AboutText());
  if (command) setEnabled(true);
}

RefreshReport Form1::Refresh() {
  RefreshReport report = Busy([&] { return RefreshCatalogue(State_, Platform_); });
  Rebuilt(report);
  if (!report.Problems.empty() && !Ending_) Dialogs_.ShowMessage(ProblemsText(report));
  return report;
}

QString Form1::ProblemsText(const RefreshReport& Report) {
  QStringList lines{QStringLiteral("These files could not be read:")};
  for (const IoError& problem : Report.Problems)
    lines.push_back(FromNativeName(problem.Describe()));
  return lines.join(QLatin1Char('\n'));
}

void Form1::UpDateList() {
  const Command command(*this);
  Refresh();
}

void Form1::RefreshList() {
  FillGrid();
  RememberGridView();
}

void Form1::ResolveMapNameClicked() {
  FillGrid();
  RememberGridView();
}

void Form1::FillGrid() {
  SortColumn_ = -1;  // a fill shows the catalogue's order
  brieflist::FillGrid(State_, ResolveMapName_->isChecked(), *FG_, CurrentFilter());
  UpdateSummary();
}

GridFilter Form1::CurrentFilter() const {
  return GridFilter(FilterText_->text(), static_cast<ShowStateChoice>(ShowState_->currentIndex()));
}

void Form1::ApplyFilter() {
  // Until a catalogue exists the filter does not act, so the window loads as it always did.
  if (!FilterText_->isEnabled()) return;
  // The current cell stays on its mission when the filter still shows it.
  const QModelIndex current = FG_->currentIndex();
  const int32_t mission = current.isValid() ? FG_->Model().CatalogueIndex(current.row()) : -1;
  FilterGrid(CurrentFilter(), *FG_);
  if (mission >= 0) {
    const CatalogueModel& model = FG_->Model();
    for (int r = 0; r < model.rowCount(); ++r) {
      if (model.CatalogueIndex(r) != mission) continue;
      FG_->selectionModel()->setCurrentIndex(model.index(r, current.column()),
                                             QItemSelectionModel::ClearAndSelect);
      break;
    }
  }
  UpdateSummary();
}

void Form1::UpdateSummary() {
  const CatalogueModel& model = FG_->Model();
  // Counted in the catalogue, which the grid shows row for row.
  const auto missions =
      std::span(State_.Missions)
          .first(std::min(State_.Missions.size(), static_cast<size_t>(State_.LastMission + 1)));
  const auto enabled = std::count_if(missions.begin(), missions.end(),
                                     [](const MissionEntry& M) { return M.Enabled != kFalse; });
  // Warnings first: a line cut to the width still shows them.
  QStringList status;
  QStringList tip;
  // A refresh nobody asked for shows no message box; what it could not read is named here.
  if (const auto unread = static_cast<int>(Unread_.Problems.size()); unread > 0) {
    status.push_back(unread == 1 ? QStringLiteral("1 problem reading the folder")
                                 : QStringLiteral("%1 problems reading the folder").arg(unread));
    tip.push_back(ProblemsText(Unread_));
  }
  // A broken or half-copied archive lacks missions without a word from the reader.
  if (const auto damaged = static_cast<int>(LastRefresh_.Damaged.size()); damaged > 0)
    status.push_back(damaged == 1 ? QStringLiteral("1 damaged archive")
                                  : QStringLiteral("%1 damaged archives").arg(damaged));
  for (const IoError& damage : LastRefresh_.Damaged)
    tip.push_back(FromNativeName(damage.Describe()));
  // A file under two names is read once; its missions are listed under the name met first.
  if (const auto twice = static_cast<int>(LastRefresh_.SameFiles.size()); twice > 0)
    status.push_back(twice == 1
                         ? QStringLiteral("1 file under two names, listed once")
                         : QStringLiteral("%1 files under two names, listed once").arg(twice));
  for (const SameFile& same : LastRefresh_.SameFiles)
    tip.push_back(FromNativeName(same.Path + ": the same file as " + same.ReadAs));
  status.push_back(SummaryText(model.rowCount(), static_cast<int>(missions.size()),
                               static_cast<int>(enabled), model.DuplicateNameCount()));

  const QString second = !Working_.isEmpty()  ? Working_
                         : !Notice_.isEmpty() ? Notice_
                                              : status.join(QStringLiteral("; "));
  const QFontMetrics metrics(Summary_->font());
  const int room = Summary_->contentsRect().width();
  QStringList whole, shown;
  if (!State_.GameDirectory.empty()) {
    // Only the path gives way in the middle: "No missions in" stays readable.
    const QString path = FromNativeName(State_.GameDirectory);
    const QString lead = LastRefresh_.NoGameFiles ? QStringLiteral("No missions in ") : QString();
    whole.push_back(lead + path);
    QString line =
        lead + metrics.elidedText(path, Qt::ElideMiddle, room - metrics.horizontalAdvance(lead));
    // Too narrow even for that (a wide font): as much of the line as fits, from its start.
    if (metrics.horizontalAdvance(line) > room)
      line = metrics.elidedText(whole.back(), Qt::ElideRight, room);
    shown.push_back(line);
  }
  whole.push_back(second);
  shown.push_back(metrics.elidedText(second, Qt::ElideRight, room));
  Summary_->setText(shown.join(QLatin1Char('\n')));
  Summary_->setAccessibleDescription(whole.join(QLatin1Char('\n')));
  tip.prepend(whole.join(QLatin1Char('\n')));
  Summary_->setToolTip(tip.join(QLatin1Char('\n')));
}

void Form1::ShowNotice(const QString& Line) {
  Notice_ = Line;
  UpdateSummary();
}

void Form1::TitleClicked(int Column) {
  if (State_.LastMission < 0 || Column < 0 || Column >= kGridColumns) return;
  bool& ascending = SortAscending_[static_cast<size_t>(Column)];
  ascending = !ascending;
  FG_->Model().SortByColumn(Column, ascending);
  SortColumn_ = Column;
  RememberGridView();
}

void Form1::GridMouseUp(Qt::MouseButton Button, QPoint GlobalPos) {
  if (Button != Qt::LeftButton) return;
  GridMenuKey(GlobalPos);
}

void Form1::GridMenuKey(QPoint GlobalPos) {
  if (State_.LastMission < 0) return;
  const Command command(*this);
  // A click below the last row leaves the current cell, and so the menu, as they were.
  const QModelIndex current = FG_->currentIndex();
  if (!current.isValid()) return;
  QMenu* menu = Menus_->ForColumn(current.column());
  if (!menu) return;
  QAction* chosen = Dialogs_.PopUpMenu(*menu, GlobalPos);
  if (chosen && chosen == Menus_->EnableDisable() && chosen->isEnabled()) EnableDisable();
}

bool Form1::RowStillShowsItsMission(int Row) const {
  const CatalogueModel& model = FG_->Model();
  const int32_t index = model.CatalogueIndex(Row);
  if (index < 0 || index > State_.LastMission ||
      static_cast<size_t>(index) >= State_.Missions.size())
    return false;
  const MissionEntry& mission = State_.Missions[static_cast<size_t>(index)];
  return model.Cell(Row, GridColumn::FileName) == FileNameCellText(mission) &&
         model.Cell(Row, GridColumn::External) == QLatin1String(ExternalText(mission));
}

void Form1::EnableDisable() {
  if (State_.LastMission < 0) return;
  const Command command(*this);
  const QModelIndex current = FG_->currentIndex();
  if (!current.isValid()) return;
  if (const std::vector<int> selected = FG_->SelectedRows(); selected.size() > 1) {
    SwitchSelected(selected);
    UpdateSummary();
    return;
  }
  // The row knows its mission: two missions of one file name in two archives each switch their
  // own, and a sort in between changes nothing.
  const int row = current.row();
  if (!RowStillShowsItsMission(row)) {
    Dialogs_.ShowMessage(QString::fromLatin1(kNotInList));
    return;
  }
  const SwitchResult result = Busy([&] {
    return ToggleMissionEnabled(State_, Platform_, FG_->Model().CatalogueIndex(row), row, 0);
  });
  ShowSwitched(result);
  UpdateSummary();
}

void Form1::SwitchSelected(const std::vector<int>& Rows) {
  // Each selected mission takes the other state: the enabled ones are disabled and the disabled
  // ones enabled, together one command that one undo takes back.
  std::vector<BulkRow> toEnable, toDisable;
  for (const int r : Rows) {
    if (!RowStillShowsItsMission(r)) continue;
    const int32_t index = FG_->Model().CatalogueIndex(r);
    const bool enabled = State_.Missions[static_cast<size_t>(index)].Enabled != kFalse;
    (enabled ? toDisable : toEnable).push_back({index, r});
  }
  if (toEnable.empty() && toDisable.empty()) {
    Dialogs_.ShowMessage(QString::fromLatin1(kNotInList));
    return;
  }
  // Should the first group's locate step rebuild the catalogue, the second group's missions are
  // found again where they are on disk.
  std::vector<MissionEntry> placesToDisable;
  for (const BulkRow& row : toDisable)
    placesToDisable.push_back(State_.Missions[static_cast<size_t>(row.Index)]);
  std::array<BulkResult, 2> results = Busy([&] {
    const PatchJournal::Operation operation(Platform_.Journal, JournalKind::Toggle);
    std::array<BulkResult, 2> done;
    done[0] = SetMissionsEnabled(State_, Platform_, toEnable, true);
    if (Ending_) return done;  // closed while a question of the first group was up
    if (!done[0].Refreshes.empty()) {
      const MissionIndex index(State_);
      for (size_t i = 0; i < toDisable.size(); ++i)
        toDisable[i].Index = index.Find(placesToDisable[i].SourceFile,
                                        placesToDisable[i].DataOffset, placesToDisable[i].FileName);
    }
    done[1] = SetMissionsEnabled(State_, Platform_, toDisable, false);
    return done;
  });
  if (Ending_) return;
  ShowBulkSwitched({&results[0], &results[1]});
  for (const BulkResult& result : results)
    if (result.Failed > 0 && !Ending_)
      Dialogs_.ShowMessage(FromEngineMessage(result.FailureMessage()));
}

void Form1::EnableShown() {
  SwitchShown(true);
}

void Form1::DisableShown() {
  SwitchShown(false);
}

void Form1::SwitchShown(bool Enabled) {
  if (State_.LastMission < 0) return;
  const Command command(*this);
  std::vector<BulkRow> shown;
  for (int r = 0; r < FG_->Model().rowCount(); ++r)
    if (RowStillShowsItsMission(r)) shown.push_back({FG_->Model().CatalogueIndex(r), r});
  const std::vector<BulkRow> rows = RowsToSwitch(State_, shown, Enabled);
  if (rows.empty()) return;  // every shown mission is in that state already
  const QString question = QStringLiteral("%1 %2 missions?")
                               .arg(QLatin1String(Enabled ? "Enable" : "Disable"))
                               .arg(static_cast<qsizetype>(rows.size()));
  if (!Dialogs_.AskYesNo(question)) return;

  // Shown rows stay shown even when they no longer match the state chosen, so the person sees
  // what was switched; the next change of the filter hides them.
  const BulkResult result =
      Busy([&] { return SetMissionsEnabled(State_, Platform_, rows, Enabled); });
  // A refresh on the way refilled the grid in catalogue order: the grid rows asked for no
  // longer name their missions.
  ShowBulkSwitched({&result});
  if (result.Failed > 0 && command)
    Dialogs_.ShowMessage(FromEngineMessage(result.FailureMessage()));
  if (!command) return;
  UpdateSummary();
}

void Form1::UndoLastPatch() {
  const Command command(*this);
  if (!command || State_.GameDirectory.empty()) return;
  // Only what this window shows: a command of another folder, or of the command line there, is
  // not this window's to take back, and nothing outside the open folder is touched.
  const UndoResult result =
      Busy([&] { return UndoLastPatches(State_, Platform_, 1, State_.GameDirectory); });
  if (const std::string said = result.Message(); !said.empty() && command)
    Dialogs_.ShowMessage(FromEngineMessage(said));
  if (!command) return;
  // The catalogue rows already have their state back; their grid rows show it, in place, as
  // after a switch.
  FG_->Model().RefreshRows(State_, result.ChangedRows);
  ShowNotice(UndoNotice(result));  // with the summary's counts brought up to date
}

QString Form1::UndoNotice(const UndoResult& Result) {
  if (Result.Unreadable) return {};
  if (Result.Operations == 0 || Result.Records.empty())
    return QStringLiteral("Nothing of this folder is left to undo");
  // What the command did, by its records: the same way for all of them, or both ways.
  const JournalRecord& newest = Result.Records.front().Record;
  const bool enabling = EnabledMark(newest.After);
  const bool oneWay =
      std::all_of(Result.Records.begin(), Result.Records.end(),
                  [&](const UndoneRecord& R) { return EnabledMark(R.Record.After) == enabling; });
  QString what = newest.Kind == JournalKind::Import ? QStringLiteral("Import")
                 : !oneWay                          ? QStringLiteral("Switch")
                 : enabling                         ? QStringLiteral("Enable")
                                                    : QStringLiteral("Disable");
  const auto restored = Result.Count(UndoStatus::Restored);
  const auto looked = static_cast<int>(Result.Records.size());
  if (looked == 1) return QStringLiteral("Undid: %1 %2").arg(what, FromNativeName(newest.FileName));
  if (restored == looked) return QStringLiteral("Undid: %1, %2 missions").arg(what).arg(looked);
  return QStringLiteral("Undid: %1, %2 of %3 missions").arg(what).arg(restored).arg(looked);
}

bool Form1::eventFilter(QObject* Watched, QEvent* Event) {
  // The filter box would take Ctrl+Z for its own typing; after a switch the person means the
  // switch, so the window's undo gets the key.
  if (Watched == FilterText_ && Event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(Event)->matches(QKeySequence::Undo))
    return true;
  return QWidget::eventFilter(Watched, Event);
}

void Form1::Rebuilt(const RefreshReport& Report) {
  LastRefresh_ = Catalogued_ = Report;
  Unread_ = Host_.Quiet ? Report : RefreshReport{};
  Watch_->Follow(State_.GameDirectory);
  FillGrid();
}

void Form1::ShowSwitched(const SwitchResult& Result) {
  // A refresh on the way refilled the grid in catalogue order: the grid row asked for no longer
  // names the switched mission.
  if (!Result.Refreshes.empty())
    Rebuilt(Result.Refreshes.back());
  else if (Result.Index >= 0)
    FG_->Model().RefreshRows(State_, {Result.Index});
  ShowProblems(Result.Problems);
}

void Form1::ShowBulkSwitched(std::initializer_list<const BulkResult*> Results) {
  // A refresh on the way refilled the grid in catalogue order: the grid rows asked for no
  // longer name their missions.
  const RefreshReport* refreshed = nullptr;
  std::vector<int32_t> switched;
  for (const BulkResult* result : Results) {
    if (!result->Refreshes.empty()) refreshed = &result->Refreshes.back();
    for (const BulkRowResult& r : result->Rows)
      if (r.Now >= 0) switched.push_back(r.Now);
  }
  if (refreshed)
    Rebuilt(*refreshed);
  else
    FG_->Model().RefreshRows(State_, switched);
}

void Form1::ShowProblems(const std::vector<Problem>& Problems) {
  if (!Problems.empty() && !Ending_)
    Dialogs_.ShowMessage(FromEngineMessage(brieflist::ProblemsText(Problems)));
}

void Form1::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  ApplyResizeRule();
}

void Form1::ApplyResizeRule() {
  const QSize outer = frameGeometry().size();
  const int w = PixelsToTwipsX(outer.width(), *this);
  const int h = PixelsToTwipsY(outer.height(), *this);
  if (w < kResizeThreshold || h < kResizeThreshold) return;
  FG_->resize(TwipsToPixelsX(w - kGridRightGap, *this), TwipsToPixelsY(h - kGridBottomGap, *this));
}

void Form1::closeEvent(QCloseEvent* Event) {
  // Closing ends the program at once, even from inside a dialog's wait: nothing is pending.
  Ending_ = true;
  // Written only when it moved, so a window closed as it opened leaves the settings as they were.
  if (PlacementStore_ && CurrentPlacement() != StartPlacement_)
    WritePlacement(*PlacementStore_, CurrentPlacement());
  Event->accept();
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(0);
}

void Form1::FollowDisk() {
  if (Ending_ || Watch_->Paused() || State_.GameDirectory.empty()) return;
  const Command command(*this);

  // The mission of the current cell is found again by its file name and file: a refresh may
  // have moved it to another catalogue row.
  const int sortColumn = SortColumn_;
  const QModelIndex current = FG_->currentIndex();
  const int32_t index = current.isValid() ? FG_->Model().CatalogueIndex(current.row()) : -1;
  std::optional<MissionEntry> mission;
  if (index >= 0 && index < static_cast<int32_t>(State_.Missions.size()))
    mission = State_.Missions[static_cast<size_t>(index)];
  const int top = FG_->verticalScrollBar()->value();
  const int left = FG_->horizontalScrollBar()->value();

  Host_.Quiet = true;
  Rebuilt(Busy([&] { return RefreshCatalogue(State_, Platform_); }));  // fills the grid afresh
  Host_.Quiet = false;

  if (sortColumn >= 0) {
    FG_->Model().SortByColumn(sortColumn, SortAscending_[static_cast<size_t>(sortColumn)]);
    SortColumn_ = sortColumn;
  }
  if (mission) {
    int32_t found = -1;
    for (int32_t i = 0; i <= State_.LastMission; ++i) {
      const MissionEntry& m = State_.Missions[static_cast<size_t>(i)];
      if (m.FileName != mission->FileName || m.SourceFile != mission->SourceFile) continue;
      if (found < 0 || m.DataOffset == mission->DataOffset) found = i;
      if (m.DataOffset == mission->DataOffset) break;
    }
    const CatalogueModel& model = FG_->Model();
    for (int r = 0; found >= 0 && r < model.rowCount(); ++r) {
      if (model.CatalogueIndex(r) != found) continue;
      FG_->selectionModel()->setCurrentIndex(model.index(r, current.column()),
                                             QItemSelectionModel::ClearAndSelect);
      break;
    }
  }
  // The scroll bars learn the new rows' extent first, or the old position would be cut short.
  FG_->doItemsLayout();
  FG_->verticalScrollBar()->setValue(top);
  FG_->horizontalScrollBar()->setValue(left);
  UpdateSummary();
}

void Form1::dragEnterEvent(QDragEnterEvent* Event) {
  dragMoveEvent(Event);
}

void Form1::dragMoveEvent(QDragMoveEvent* Event) {
  // Refused (the no-drop pointer) while a command runs or when nothing dropped can be used.
  if (!Watch_->Paused() && ChooseDroppedItem(*Event->mimeData()).What != DroppedItem::Nothing)
    Event->acceptProposedAction();
  else
    Event->ignore();
}

void Form1::dropEvent(QDropEvent* Event) {
  const DroppedItem item = ChooseDroppedItem(*Event->mimeData());
  if (Watch_->Paused() || item.What == DroppedItem::Nothing) {
    Event->ignore();
    return;
  }
  Event->acceptProposedAction();
  // Once the drop has returned: the program it came from waits for that, and the import or the
  // refresh may show messages.
  QTimer::singleShot(0, this, [this, item] {
    if (Ending_ || Watch_->Paused()) return;
    const Command command(*this);
    if (item.What == DroppedItem::List)
      ImportListNamed(item.Path);
    else
      OpenDroppedFolder(item.Path);
  });
}

void Form1::OpenDroppedFolder(const QString& Folder) {
  // As if chosen in the chooser and confirmed with OK.
  EnsureChooserSources();
  const std::string folder = ConfirmFolder(AddBackslash(Folder), *Settings_, Dialogs_);
  if (!folder.empty()) OpenFolder(folder);
}

}  // namespace brieflist
