// Each command a block menu offers is named in the help page of its object,
// as the menu shows it: a user looks the command up by its caption.
#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include "uDataObject.h"
#include "uKinds.h"
#include "uWindowTestEnv.h"

using MenuHelp = TWindowTest;

namespace {

// The page's text as a reader sees it (entities decoded, tags and line breaks gone).
QString PageText(const QString& language, const QString& topic) {
  QFile file(QStringLiteral(KERNO_SOURCE_DIR "/resources/help/") + language + u'/' + topic + QStringLiteral(".html"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QTextDocumentFragment::fromHtml(QString::fromUtf8(file.readAll())).toPlainText().simplified();
}

}  // namespace

TEST_F(MenuHelp, EveryBlockCommandIsNamedOnItsObjectsHelpPage) {
  const std::pair<int, const char*> pages[] = {
      {kindDeepScale, "data/rullers"},  {kindDeepTable, "data/table"}, {kindDiagrams, "data/diagrams"},
      {kindStratCol, "data/stratcol"},  {kindTextDesc, "data/desc"},   {kindVectorGraphic, "data/vectorgraphic"},
      {kindHead, "common/head"},        {kindBody, "common/body"},     {kindStatusDDLine, "data/ddline"},
      {kindColorLine, "data/colorline"}};
  for (const char* language : {"english", "russian"}) {
    ASSERT_TRUE(LoadLanguage(FDir.filePath(QString::fromLatin1(language) + ".vox")));
    const QString folder = QString::fromLatin1(language) == "english" ? "en" : "ru";
    QStringList missing;
    for (const auto& [kind, topic] : pages) {
      std::unique_ptr<TPrintObject> object = CreateKindObject(kind);
      ASSERT_NE(object, nullptr) << kind;
      auto* data = dynamic_cast<TDataObject*>(object.get());
      if (!data) continue;  // no menu of its own (the depth scale)
      const QString page = PageText(folder, QString::fromLatin1(topic));
      ASSERT_FALSE(page.isEmpty()) << topic;
      for (int i = 0; i < data->GetMenuCommandCount(); ++i) {
        QString caption;
        data->GetMenuCommandCaption(i, &caption);
        caption.remove(QStringLiteral("...")).remove(u'&');
        caption = caption.simplified();
        if (caption.isEmpty() || caption == "-") continue;
        if (!page.contains(caption, Qt::CaseInsensitive)) missing << QString::fromLatin1(topic) + ": " + caption;
      }
    }
    EXPECT_TRUE(missing.isEmpty()) << language << ": " << missing.join("; ").toStdString();
  }
}
