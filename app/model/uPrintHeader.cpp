#include "uPrintHeader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

#include "uComPtr.h"
#include "uIniFile.h"
#include "uLanguage.h"
#include "uNumbers.h"
#include "uPrintObjectList.h"
#include "uPrintText.h"
#include "uSettings.h"
#include "uSheetAtData.h"
#include "uStorage.h"
#include "uUiServices.h"

namespace {

const QString kValuesStream = QStringLiteral("values");
const QString kMainSection = QStringLiteral("MAIN");
const int kInsertableKinds[] = {kindText, kindTable, kindImage};
// The size of an object inserted with a click instead of a drag.
constexpr double kClickSize = 2.5;

TFileDialogOptions HeaderFileDialog(const QString& prefix) {
  TFileDialogOptions options;
  options.Title = TranslateFileTitle(prefix);
  options.Filter = TranslateFileMask(prefix);
  options.FileName = ProgramDir() + QStringLiteral("/hdr");
  options.DefaultSuffix = QStringLiteral("hdr");
  return options;
}

}  // namespace

TPrintHeader::TPrintHeader() {
  FFlags = (FFlags | pfInsert) & ~static_cast<uint32_t>(pfDeletable);
  FBorder = false;
}

void TPrintHeader::GetMenuCommandCaption(int index, QString* text) {
  if (!text) return;
  switch (index) {
    case cmdLoad:
      *text = TranslateWord(QStringLiteral("Load"));
      break;
    case cmdSave:
      *text = TranslateWord(QStringLiteral("Save"));
      break;
    case cmdFreeEdit:
      GetCommandCaption(text);
      break;
    case cmdSeparator:
      *text = QStringLiteral("-");
      break;
    case cmdValues:
      *text = TranslateWord(QStringLiteral("Values"));
      break;
    case cmdFillFromFile:
      *text = TranslateGeneral(QStringLiteral("FillFromfile"), QStringLiteral("Fill from file"));
      break;
    default:
      TRootDataObject::GetMenuCommandCaption(index, text);
  }
}

bool TPrintHeader::ExecuteMenuCommand(int index) {
  switch (index) {
    case cmdLoad:
      return LoadHeaderWithDialog();
    case cmdSave:
      return SaveHeaderWithDialog();
    case cmdFreeEdit:
      return ExecuteCommand();
    case cmdSeparator:
      return true;
    case cmdValues:
      return EditValues();
    case cmdFillFromFile:
      return FillValuesFromFile();
    default:
      return TRootDataObject::ExecuteMenuCommand(index);
  }
}

void TPrintHeader::GetCommandCaption(QString* text) {
  if (!text) return;
  // The caption names what the command does: switch the mode it is not in.
  *text = FreeEdit() ? TranslateGeneral(QStringLiteral("FreeEditOff"), QStringLiteral("Free edit off"))
                     : TranslateGeneral(QStringLiteral("FreeEditOn"), QStringLiteral("Free edit on"));
}

bool TPrintHeader::ExecuteCommand() {
  SetFreeEdit(!FreeEdit());
  return true;
}

bool TPrintHeader::FreeEdit() const { return (ChildFlags() & 0x0F) == 0x0F; }

void TPrintHeader::SetFreeEdit(bool on) {
  const uint32_t moveAndSize = pfMoveX | pfMoveY | pfSizeX | pfSizeY;
  const uint32_t flags = on ? ChildFlags() | moveAndSize : ChildFlags() & ~moveAndSize;
  if (flags == ChildFlags()) return;
  SetChildFlags(flags);
  // The child flags are stored with the head: the document has changed.
  SetModified(true);
  NameChanged();
}

std::unique_ptr<TPrintObject> TPrintHeader::CreateChild(int kind) {
  return CreateKindObject(kind, {kindText, kindTable, kindImage});
}

int TPrintHeader::GetInsertableKind(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kInsertableKinds)) ? kInsertableKinds[index] : 0;
}

bool TPrintHeader::InsertNewChildAt(double x0, double y0, double x, double y) {
  // Tables and images are offered once their classes are part of the program.
  const int chosen = ChooseInsertableKind();
  if (!chosen) return false;
  auto made = CreateChild(chosen);
  if (!made) return false;
  const double width = std::abs(x - x0);
  const double height = std::abs(y - y0);
  made->SetBoundsRect({std::min(x0, x), std::min(y0, y), std::min(x0, x) + (width > 0 ? width : kClickSize),
                       std::min(y0, y) + (height > 0 ? height : kClickSize)});
  if (auto* data = dynamic_cast<TDataObject*>(made.get())) {
    QString name = data->Name();
    const bool named = Ui().PromptText(
        TranslateKindName(made->GetKind()),
        TranslateGeneral(QStringLiteral("EnterObjectName"), QStringLiteral("Enter object name")), &name);
    if (!named || name.trimmed().isEmpty()) return false;
    data->SetName(name.trimmed());
  }
  // A head is as wide as what it holds: a box proposed at its right edge, or
  // a picture joining at its file's size, would widen the head and the
  // sheet. A picture is chosen first, then everything is fitted inside.
  const bool picture = chosen == kindImage;
  if (picture && !made->EditProperties()) return false;
  FitChildInside(made.get(), true);
  const double right = FLeft + GetWidth();
  TPrintObject* child = made.get();
  const int index = AddChild(std::move(made));
  if (index < 0) return false;
  Changed();
  if (!picture && !child->EditProperties()) {
    DeleteChild(IndexOf(child));
    return false;
  }
  // A click proposes a box smaller than most texts; grown to the text, it
  // stays within the head's width.
  if (auto* text = dynamic_cast<TPrintText*>(child)) {
    text->GrowToText();
    if (right > FLeft) {
      text->SetWidth(std::min(text->GetWidth(), right - FLeft));
      text->SetLeft(std::clamp(text->Left(), FLeft, right - text->GetWidth()));
    }
  }
  Changed();
  Invalidate(this);
  return true;
}

void TPrintHeader::Changed() {
  if (FFilling) return;
  // The head's edges as they are before this pass; each child is moved, then
  // cut, to lie inside them.
  const double left = FLeft;
  const double top = FTop;
  const double right = FLeft + GetWidth();
  const double bottom = FTop + GetHeight();
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c) continue;
    if (c->Left() < left) c->SetLeft(left);
    if (c->Left() > right) c->SetLeft(std::max(left, right - c->GetWidth()));
    if (c->Left() + c->GetWidth() > right) c->SetWidth(right - c->Left());
    if (c->Top() < top) c->SetTop(top);
    if (c->Top() > bottom) c->SetTop(std::max(top, bottom - c->GetHeight()));
    if (c->Top() + c->GetHeight() > bottom) c->SetHeight(bottom - c->Top());
  }
  TPrintObject::Changed();
}

void TPrintHeader::Invalidate(TPrintObject* sender) {
  SubstituteParameters();
  TRootDataObject::Invalidate(sender);
}

void TPrintHeader::Draw(TDrawContext& context) {
  SubstituteParameters();
  TRootDataObject::Draw(context);
}

bool TPrintHeader::LoadFromStorage(TStorage* storage) {
  if (!TRootDataObject::LoadFromStorage(storage)) return false;
  FParameters = TNamedValueList();
  TComPtr<IStream> values;
  if (storage->OpenStream(kValuesStream, values.Put()) == S_OK) FParameters.LoadFromStream(values.Get());
  SubstituteParameters();
  return true;
}

bool TPrintHeader::SaveToStorage(TStorage* storage) {
  // The texts store what they print: the values as they are now.
  SubstituteParameters();
  if (!TRootDataObject::SaveToStorage(storage)) return false;
  TComPtr<IStream> values;
  if (storage->CreateStream(kValuesStream, values.Put()) != S_OK || !FParameters.SaveToStream(values.Get())) {
    // The parameters are part of the head: without them the save is not complete.
    FModified = true;
    return false;
  }
  return true;
}

void TPrintHeader::Assign(TPrintObject* source) {
  TRootDataObject::Assign(source);
  if (auto* head = dynamic_cast<TPrintHeader*>(source)) FParameters.Assign(head->FParameters);
  SubstituteParameters();
}

void TPrintHeader::ClearData() {
  TRootDataObject::ClearData();
  FParameters.Clear();
  CollectParameters();
  SubstituteParameters();
  SetModified(true);
}

bool TPrintHeader::LoadFromIni(TIniFile* ini, const QString& section, const QString& prefix) {
  if (!ini || section.isEmpty()) return false;
  // The head file first: the template's own position and name then apply to
  // it. A template names a head file per language where its texts differ.
  const QString file = ReadTranslatedIni(*ini, section, prefix + QStringLiteral("FILE"), QString()).trimmed();
  if (!file.isEmpty()) {
    const QString found = FindHeaderFile(file);
    if (found.isEmpty())
      Ui().Message(
          TMsgKind::Error, QString(),
          SubstituteArgs(TranslateError(QStringLiteral("FilenotFound"), QStringLiteral("File %s not found")), {file}),
          mbOK);
    else
      LoadHeaderFile(found);
  }
  SetTop(ini->ReadFloat(section, prefix + QStringLiteral("TOP"), FTop));
  // A template may add objects of its own to the head file's (a logo).
  LoadIniChildren(ini, section, prefix);
  SetName(ReadTranslatedIni(*ini, section, prefix + QStringLiteral("NAME"), Name()));
  return true;
}

void TPrintHeader::DumpProperties(QJsonObject* json) const {
  TRootDataObject::DumpProperties(json);
  if (!json) return;
  QJsonArray items;
  for (const TNamedValue& v : FParameters.Items())
    items.append(QJsonObject{{QStringLiteral("name"), v.Name}, {QStringLiteral("value"), v.Value}});
  QJsonObject parameters;
  parameters[QStringLiteral("delimiter")] = QString(FParameters.Delimiter);
  parameters[QStringLiteral("defaultValue")] = FParameters.DefaultValue;
  parameters[QStringLiteral("values")] = items;
  (*json)[QStringLiteral("parameters")] = parameters;
  (*json)[QStringLiteral("freeEdit")] = FreeEdit();
}

void TPrintHeader::CollectInto(TNamedValueList* list) {
  for (int i = 0; i < Count(); ++i)
    if (auto* text = dynamic_cast<TPrintText*>(GetChild(i))) list->AddNamesFrom(text->GetText());
}

void TPrintHeader::CollectParameters() { CollectInto(&FParameters); }

bool TPrintHeader::FillScaleParameter(uint16_t scale) {
  const int i = FParameters.IndexOf(QStringLiteral("SCALE"));
  if (i < 0 || scale == 0 || !FParameters.At(i).Value.isEmpty()) return false;
  FParameters.SetValueAt(i, QString::number(scale));
  SubstituteParameters();
  return true;
}

bool TPrintHeader::FollowScale(uint16_t old, uint16_t now) {
  const int i = FParameters.IndexOf(QStringLiteral("SCALE"));
  if (i < 0 || now == 0 || old == now || FParameters.At(i).Value.trimmed() != QString::number(old)) return false;
  FParameters.SetValueAt(i, QString::number(now));
  SubstituteParameters();
  SetModified(true);
  return true;
}

bool TPrintHeader::FollowInterval(double oldTop, double oldBottom, double top, double bottom) {
  CollectParameters();
  bool changed = false;
  // Depths written as the user writes the other one ("2150,5 – 2195,5").
  const auto [topText, bottomText] = StatedInterval();
  const char separator = topText.contains(QLatin1Char(',')) || bottomText.contains(QLatin1Char(',')) ? ',' : '.';
  const auto follow = [&](const QString& name, double old, double now) {
    const int i = FParameters.IndexOf(name);
    if (i < 0) return;
    const QString value = FParameters.At(i).Value.trimmed();
    const double stated = ReadNumber(value.toStdString(), std::numeric_limits<double>::quiet_NaN());
    const bool namesOld = std::isfinite(stated) && std::abs(stated - old) < 1e-6;
    if (!value.isEmpty() && !namesOld) return;
    const QString text = QString::fromStdString(FormatGeneral(now, separator));
    if (value == text) return;
    FParameters.SetValueAt(i, text);
    changed = true;
  };
  follow(QStringLiteral("TOP_DEPTH"), oldTop, top);
  follow(QStringLiteral("BOTTOM_DEPTH"), oldBottom, bottom);
  if (!changed) return false;
  SubstituteParameters();
  SetModified(true);
  return true;
}

void TPrintHeader::SubstituteParameters() {
  for (int i = 0; i < Count(); ++i)
    if (auto* text = dynamic_cast<TPrintText*>(GetChild(i))) text->SetPrintedText(FParameters.Expand(text->GetText()));
}

std::pair<QString, QString> TPrintHeader::StatedInterval() const {
  const auto value = [this](const QString& name) {
    const int i = FParameters.IndexOf(name);
    return i < 0 ? QString() : FParameters.At(i).Value.trimmed();
  };
  return {value(QStringLiteral("TOP_DEPTH")), value(QStringLiteral("BOTTOM_DEPTH"))};
}

bool TPrintHeader::EditValues() {
  // The names are collected into the copy: Cancel leaves the head untouched.
  TNamedValueList values;
  values.Assign(FParameters);
  CollectInto(&values);
  // An empty table would leave the user guessing where values come from.
  if (values.Count() == 0) {
    Ui().Message(TMsgKind::Information, Caption(),
                 SubstituteArgs(TranslateGeneral(QStringLiteral("HeadHasNoValues"),
                                                 QStringLiteral("The texts of \"%s\" name no values. A text names one "
                                                                "by writing it between percent signs, as %WELL%.")),
                                {Caption()}),
                 mbOK);
    return false;
  }
  if (!values.EditWithDialog()) return false;
  const auto stated = StatedInterval();
  FParameters.Assign(values);
  SubstituteParameters();
  SetModified(true);
  Invalidate(this);
  if (StatedInterval() != stated) OfferSheetAtStatedInterval(this);
  return true;
}

bool TPrintHeader::FillValuesFromFile() {
  const auto stated = StatedInterval();
  QString error;
  const HRESULT hr = FParameters.ImportWithDialog(&error);
  // The import reports why it failed; this command shows it.
  if (hr == E_FAIL && !error.isEmpty()) Ui().Message(TMsgKind::Error, QString(), error, mbOK);
  if (hr != S_OK) return false;
  SubstituteParameters();
  SetModified(true);
  Invalidate(this);
  if (StatedInterval() != stated) OfferSheetAtStatedInterval(this);
  return true;
}

bool TPrintHeader::LoadHeaderFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  TIniFile ini(path);
  // One read of the file for the whole load.
  ini.BeginBulk();
  FFilling = true;
  Clear();
  TRootDataObject::LoadFromIni(&ini, kMainSection, QString());
  for (int n = 1; n <= kMaxFileTexts; ++n) {
    const QString section = QStringLiteral("TEXT") + QString::number(n);
    if (ini.ReadFloat(section, QStringLiteral("WIDTH"), -1) == -1) break;
    auto text = CreateChild(kindText);
    if (!text) break;
    const bool loaded = text->LoadFromIni(&ini, section, QString());
    text->SetLeft(text->Left() + FLeft);
    text->SetTop(text->Top() + FTop);
    AddChild(std::move(text));
    if (!loaded) break;
  }
  FFilling = false;
  ini.CancelBulk();
  SubstituteParameters();
  CollectParameters();
  Changed();
  NameChanged();
  Invalidate(this);
  return true;
}

bool TPrintHeader::SaveHeaderFile(const QString& path) {
  SetLeft(0);
  SetTop(0);
  TIniFile ini(path);
  ini.BeginBulk(true);
  if (!SaveToIni(&ini, kMainSection, QString())) {
    ini.CancelBulk();
    return false;
  }
  return ini.CommitBulk();
}

bool TPrintHeader::LoadHeaderWithDialog() {
  QString path;
  int filterIndex = 1;
  if (!Ui().OpenFileName(HeaderFileDialog(QStringLiteral("hdr")), &path, &filterIndex)) return false;
  if (LoadHeaderFile(path)) return true;
  Ui().Message(TMsgKind::Error, QString(), TranslateFileError(QStringLiteral("hdr"), false), mbOK);
  return false;
}

bool TPrintHeader::SaveHeaderWithDialog() {
  QString path;
  int filterIndex = 1;
  if (!Ui().SaveFileName(HeaderFileDialog(QStringLiteral("hdrs")), &path, &filterIndex)) return false;
  const bool moved = FLeft != 0 || FTop != 0;
  const bool saved = SaveHeaderFile(HeaderFileName(path));
  if (!saved) Ui().Message(TMsgKind::Error, QString(), TranslateFileError(QStringLiteral("hdrs"), true), mbOK);
  if (moved) {
    Changed();
    Invalidate(this);
  }
  // A head that moved to (0, 0) has changed even when the file could not be written.
  return saved || moved;
}

QString TPrintHeader::FindHeaderFile(const QString& name) {
  QString file = name;
  // Templates written on Windows separate folders with backslashes.
  file.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString dir = ProgramDir();
  for (const QString& candidate : {file, dir + QStringLiteral("/hdr/") + file, dir + QLatin1Char('/') + file}) {
    const QFileInfo info(candidate);
    if (info.isFile()) return info.absoluteFilePath();
  }
  return {};
}

QString TPrintHeader::HeaderFileName(const QString& path) {
  const QFileInfo info(path);
  if (info.suffix().compare(QStringLiteral("hdr"), Qt::CaseInsensitive) == 0) return path;
  QString base = path;
  if (!info.suffix().isEmpty() && !info.fileName().startsWith(QLatin1Char('.'))) base.chop(info.suffix().size() + 1);
  return base + QStringLiteral(".hdr");
}

namespace {

TPrintObject* RootOf(TPrintObject* object) {
  while (object && object->Parent()) object = object->Parent();
  return object;
}

QString HeadValueBelow(TPrintObject* object, const QString& name) {
  if (!object) return QString();
  if (auto* head = dynamic_cast<TPrintHeader*>(object))
    for (const TNamedValue& p : head->Parameters().Items())
      if (p.Name.compare(name, Qt::CaseInsensitive) == 0 && !p.Value.trimmed().isEmpty()) return p.Value.trimmed();
  if (TPrintObjectList* list = object->AsObjectList())
    for (int i = 0; i < list->Count(); ++i) {
      const QString value = HeadValueBelow(list->GetChild(i), name);
      if (!value.isEmpty()) return value;
    }
  return QString();
}

// The first head, in tree order, whose texts use the parameter `name` (any case).
TPrintHeader* HeadUsing(TPrintObject* object, const QString& name) {
  if (!object) return nullptr;
  if (auto* head = dynamic_cast<TPrintHeader*>(object)) {
    head->CollectParameters();
    for (const TNamedValue& p : head->Parameters().Items())
      if (p.Name.compare(name, Qt::CaseInsensitive) == 0) return head;
  }
  if (TPrintObjectList* list = object->AsObjectList())
    for (int i = 0; i < list->Count(); ++i)
      if (TPrintHeader* head = HeadUsing(list->GetChild(i), name)) return head;
  return nullptr;
}

}  // namespace

QString DocumentHeadValue(TPrintObject* object, const QString& name) { return HeadValueBelow(RootOf(object), name); }

bool FillEmptyDocumentHeadValue(TPrintObject* object, const QString& name, const QString& value) {
  TPrintObject* root = RootOf(object);
  if (value.trimmed().isEmpty() || !HeadValueBelow(root, name).isEmpty()) return false;
  TPrintHeader* head = HeadUsing(root, name);
  if (!head) return false;
  const std::vector<TNamedValue>& items = head->Parameters().Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Name.compare(name, Qt::CaseInsensitive) == 0) {
      head->Parameters().SetValueAt(static_cast<int>(i), value.trimmed());
      break;
    }
  head->SubstituteParameters();
  head->SetModified(true);
  head->Invalidate(head);
  return true;
}

double TPrintHeader::MakeRoomAtBottom(double left, double right, double height) {
  constexpr double kTolerance = 0.01;
  const double bottom = FTop + GetHeight();
  if (!(height > 0) || !std::isfinite(height) || !(right > left)) return 0;
  // The lowest text or picture over the range that ends above the bottom
  // edge; empty frames (the room's own cell) are no obstacle.
  double free = FTop;
  for (int i = 0; i < Count(); ++i) {
    TPrintObject* c = GetChild(i);
    if (!c || c->Left() + c->GetWidth() <= left + kTolerance || c->Left() >= right - kTolerance) continue;
    if (const auto* text = dynamic_cast<const TPrintText*>(c); text && text->GetText().trimmed().isEmpty()) continue;
    free = std::max(free, std::min(c->Top() + c->GetHeight(), bottom));
  }
  const double grow = height - (bottom - free);
  if (grow <= kTolerance) return 0;
  FFilling = true;  // the children are not clamped to the old edge meanwhile
  SetHeight(GetHeight() + grow);
  // The frames of the bottom row grow; a picture or a table there keeps its
  // size (stretched, it would be distorted).
  for (int i = 0; i < Count(); ++i)
    if (TPrintObject* c = GetChild(i); dynamic_cast<TPrintText*>(c) && c->Top() + c->GetHeight() >= bottom - kTolerance)
      c->SetHeight(c->GetHeight() + grow);
  FFilling = false;
  SetModified(true);
  Changed();
  return grow;
}

bool MakeRoomAboveBlock(TPrintObject* object, double left, double right, double height) {
  TPrintObject* block = object;
  while (block && block->Parent() && block->Parent()->Parent()) block = block->Parent();
  TPrintObjectList* root = block && block->Parent() ? block->Parent()->AsObjectList() : nullptr;
  if (!root) return false;
  // The block drawn right above: the nearest one before it in the document.
  TPrintHeader* head = nullptr;
  for (int i = root->IndexOf(block) - 1; i >= 0 && !head; --i)
    if (TPrintObject* c = root->GetChild(i); c && c->AsDeepObject()) {
      head = dynamic_cast<TPrintHeader*>(c);
      if (!head) return false;
    }
  if (!head || head->MakeRoomAtBottom(left, right, height) <= 0) return false;
  root->Changed();
  root->Invalidate(root);
  return true;
}

void RegisterHeadKinds() {
  RegisterKind(kindHead, []() -> std::unique_ptr<TPrintObject> { return std::make_unique<TPrintHeader>(); });
}
