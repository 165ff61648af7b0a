#include "uDocumentPopup.h"

#include <QMenu>

#include "uClipboardCommands.h"
#include "uDataObject.h"
#include "uDocumentArea.h"
#include "uFontDialog.h"
#include "uImageExport.h"
#include "uKernoChild.h"
#include "uLanguage.h"
#include "uMenuBuilder.h"
#include "uPassportBody.h"
#include "uPrintDocument.h"
#include "uRootDataObject.h"
#include "uUiServices.h"

namespace {

QAction* Item(QMenu* menu, const char* name, const QString& text, bool enabled) {
  QAction* action = menu->addAction(text);
  action->setObjectName(QString::fromLatin1(name));
  action->setEnabled(enabled);
  return action;
}

// The data object the selection belongs to: the selection or its nearest ancestor.
TDataObject* OwningDataObject(TPrintObject* object) {
  for (TPrintObject* o = object; o; o = o->Parent())
    if (auto* data = dynamic_cast<TDataObject*>(o)) return data;
  return nullptr;
}

// Where Add puts a new object: the selection when it takes children, else
// its nearest ancestor that does (a text of a head adds to the head, a text
// of a description column to the column), as paste does.
TPrintObjectList* AddTarget(TPrintObject* selected) {
  for (TPrintObject* o = selected; o; o = o->Parent())
    if (auto* list = o->AsObjectList(); list && (o->Flags() & pfInsert)) return list;
  return nullptr;
}

bool EditFont(TPrintObject* object, QWidget* parent) {
  auto* font = static_cast<TFontEx*>(object->GetFont());
  if (!font) return false;
  TfFont dialog(*font, QString(), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  font->Assign(dialog.WorkFont());
  object->SetModified(true);
  object->Changed();
  return true;
}

void AddDataCommands(QMenu* menu, TKernoChild* child, TDataObject* data) {
  if (auto* root = dynamic_cast<TRootDataObject*>(data)) {
    // A block's commands bracket themselves for undo.
    FillMenu(menu, root->MenuItem(), [child, root](uint32_t tag) {
      child->RunBlockCommand([&] { return root->VerbExecute(tag); });
      child->Refresh();
      emit child->CommandsChanged();
    });
    return;
  }
  for (int i = 0; i < data->GetMenuCommandCount(); ++i) {
    QString caption;
    data->GetMenuCommandCaption(i, &caption);
    if (caption == QLatin1String("-")) {
      menu->addSeparator();
      continue;
    }
    QObject::connect(menu->addAction(caption), &QAction::triggered, menu,
                     [child, data, i] { child->RunEdit([&] { return data->ExecuteMenuCommand(i); }); });
  }
}

}  // namespace

QMenu* BuildDocumentPopup(TKernoChild* child, QPointF page) {
  auto* menu = new QMenu(child);
  menu->setObjectName(QStringLiteral("DocumentPopup"));
  TPrintObject* selected = child->Selected();
  TPrintObjectList* list = AddTarget(selected);
  QString addText = TranslateWord(QStringLiteral("Add"));
  if (list && list != selected->AsObjectList()) {
    QString caption;
    list->GetCaption(&caption);
    addText =
        SubstituteArgs(TranslateGeneral(QStringLiteral("PopupAddTo"), QStringLiteral("Add to \"%s\"")), {caption});
  }
  QAction* add = Item(menu, "PopupAdd", addText, list != nullptr);
  QObject::connect(add, &QAction::triggered, menu, [child, list, page] {
    child->RunEdit([&] {
      return list->InsertNewChildAt(page.x(), page.y(), page.x() + TPassportBody::kNewColumnWidth, page.y());
    });
  });
  QAction* del =
      Item(menu, "PopupDelete", TranslateWord(QStringLiteral("Delete")), selected && (selected->Flags() & pfDeletable));
  QObject::connect(del, &QAction::triggered, menu,
                   [child, selected] { child->RunEdit([&] { return selected->DeleteWithConfirm(); }); });
  QAction* cut = Item(menu, "PopupCut", TranslateWord(QStringLiteral("Cut")), CanCutSelected(child));
  QObject::connect(cut, &QAction::triggered, menu, [child] { CutSelected(child); });
  QAction* copy = Item(menu, "PopupCopy", TranslateWord(QStringLiteral("Copy")), CanCopySelected(child));
  QObject::connect(copy, &QAction::triggered, menu, [child] { CopySelected(child); });
  QAction* paste = Item(menu, "PopupPaste", TranslateWord(QStringLiteral("Paste")), ClipboardCanPaste());
  QObject::connect(paste, &QAction::triggered, menu, [child] { PasteIntoSelected(child); });
  QAction* properties = Item(menu, "PopupProperties", TranslateWord(QStringLiteral("Properties")), selected);
  QObject::connect(properties, &QAction::triggered, menu,
                   [child, selected] { child->RunEdit([&] { return selected->EditProperties(); }); });
  QString extended;
  if (selected) selected->GetCommandCaption(&extended);
  if (!extended.isEmpty()) {
    QAction* command = Item(menu, "PopupExtended", extended, true);
    QObject::connect(command, &QAction::triggered, menu,
                     [child, selected] { child->RunEdit([&] { return selected->ExecuteCommand(); }); });
  }
  menu->addSeparator();
  QAction* border = Item(menu, "PopupBorder", TranslateWord(QStringLiteral("Border")), selected);
  border->setCheckable(true);
  border->setChecked(selected && selected->Border());
  QObject::connect(border, &QAction::triggered, menu, [child, selected] {
    child->RunEdit([&] {
      selected->SetBorder(!selected->Border());
      selected->SetModified(true);
      return true;
    });
  });
  QAction* font = Item(menu, "PopupFont", TranslateWord(QStringLiteral("Font")), selected && selected->GetFont());
  QObject::connect(font, &QAction::triggered, menu,
                   [child, selected] { child->RunEdit([&] { return EditFont(selected, child); }); });
  QMenu* zoom = menu->addMenu(TranslateWord(QStringLiteral("Zoom")));
  zoom->setObjectName(QStringLiteral("PopupZoom"));
  for (const int percent : kZoomLevels) {
    QAction* level = zoom->addAction(QString::number(percent) + QLatin1Char('%'));
    level->setCheckable(true);
    level->setChecked(qRound(child->Area()->Zoom() * 100) == percent);
    QObject::connect(level, &QAction::triggered, menu, [child, percent] { child->Area()->SetZoom(percent / 100.0); });
  }

  if (TDataObject* data = OwningDataObject(selected)) {
    menu->addSeparator();
    QMenu* expand = menu->addMenu(data->Name());
    expand->setObjectName(QStringLiteral("PopupExpand"));
    AddDataCommands(expand, child, data);
    expand->setEnabled(!expand->isEmpty());
    QAction* save = Item(
        menu, "PopupSaveObject",
        TranslateGeneral(QStringLiteral("SaveObject"), QStringLiteral("Save object")) + QLatin1Char(' ') + data->Name(),
        true);
    QObject::connect(save, &QAction::triggered, menu, [data] { data->SaveObjectToFile(); });
    QAction* load = Item(
        menu, "PopupLoadObject",
        TranslateGeneral(QStringLiteral("LoadObject"), QStringLiteral("Load object")) + QLatin1Char(' ') + data->Name(),
        true);
    QObject::connect(load, &QAction::triggered, menu,
                     [child, data] { child->RunEdit([&] { return data->LoadObjectFromFile() == S_OK; }); });
  }
  menu->addSeparator();
  QAction* image =
      Item(menu, "PopupExportImage",
           TranslateGeneral(QStringLiteral("ExportObjectImage"), QStringLiteral("Export object as image")), true);
  QObject::connect(image, &QAction::triggered, menu,
                   [child, selected] { ExportObjectImage(selected ? selected : child->Document(), child); });
  return menu;
}

void ShowDocumentPopup(TKernoChild* child, QPoint global, QPointF page) {
  QMenu* menu = BuildDocumentPopup(child, page);
  menu->exec(global);
  delete menu;
}
