// update: the updater of the calculator suite. Reads where the main program lives, its version
// and the update server from the settings the main program writes, and offers the newest
// version.
//   update                 the updater's window
//   update --help          the usage, without opening a window
//   update --version       the updater's version
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "update/update_dialog.h"
#include "widgets/translations.h"

namespace {

const char kUsage[] =
    "用法：update [选项]\n"
    "kuva环评计算的在线更新程序：查询更新服务器上的新版本，下载并替换主程序。\n"
    "\n"
    "选项：\n"
    "  -h, --help       显示本说明并退出\n"
    "  -v, --version    显示版本并退出\n";

}  // namespace

int main(int argc, char** argv) {
  // The options are read before the window system is touched: they need no display.
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "-h") == 0 || std::strcmp(a, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(a, "-v") == 0 || std::strcmp(a, "--version") == 0) {
      std::printf("update %s\n", KUVA_VERSION);
      return 0;
    }
    std::fprintf(stderr, "update: 未知选项 %s\n请用 update --help 查看用法。\n", a);
    return 2;
  }
  widgets::useChineseDates();
  QApplication a(argc, argv);
  widgets::loadQtTranslations(a);
  QApplication::setApplicationName(QStringLiteral("update"));
  QApplication::setOrganizationName(QStringLiteral("kuva"));
  update::CUpdateDlg dlg(update::UpdateSettings::read(), update::defaultDownloadFolder());
  dlg.show();
  return a.exec();
}
