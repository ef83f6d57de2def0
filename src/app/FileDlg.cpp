#include "app/FileDlg.h"

#include "app/UserPrompts.h"

namespace zelvo {

QStringList TFileCommonDialog::NameFiltersOf(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
#if !defined(_WIN32)
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
#endif
    }
    filters.push_back(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
  }
  return filters;
}

bool TFileOpenDialog::Execute() {
  TOpenFilesRequest request;
  request.Title = Title;
  request.InitialFolder = InitialDir;
  request.NameFilters = NameFiltersOf(Filter);
  request.FilterIndex = FilterIndex;
  request.MultiSelect = MultiSelect;
  request.Preview = Preview;
  QStringList picked;
  if (!Prompts().OpenFiles(Owner, request, picked) || picked.isEmpty()) return false;
  if (!MultiSelect) picked = QStringList{picked.front()};
  Files = picked;
  FileName = Files.front();
  return true;
}

bool TFileSaveDialog::Execute() {
  TSaveFileRequest request;
  request.Title = Title;
  request.InitialFolder = InitialDir;
  request.NameFilters = NameFiltersOf(Filter);
  request.DefaultSuffix = DefaultExt;
  QString picked;
  if (!Prompts().SaveFile(Owner, request, picked) || picked.isEmpty()) return false;
  FileName = picked;
  return true;
}

}  // namespace zelvo
