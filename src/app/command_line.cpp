#include "app/command_line.h"

#include <QCommandLineParser>

#include "app/menu_table.h"
#include "app/version.h"

namespace app {

namespace {

const QString kUsage =
    QStringLiteral(
        "用法：kuvacalc [选项]\n"
        "kuva环评计算：环境影响评价计算工具集（图形界面，同一时间只运行一个）。\n"
        "\n"
        "选项：\n"
        "  -h, --help               显示本说明并退出\n"
        "  -v, --version            显示版本并退出\n"
        "  --screenshot FILE        把主窗口画成 PNG 图片 FILE "
        "后退出（无需显示器）\n"
        "  --page N                 与 --screenshot 同用：主窗口显示第 N 页（1 至 "
        "%1）\n"
        "\n"
        "命令行计算请用 kuvacalc-cli，更新请用 update。\n")
        .arg(kPageCount);

StartRequest printAndExit(QString text, int code) {
  StartRequest r;
  r.kind = StartRequest::PrintAndExit;
  r.output = std::move(text);
  r.exit_code = code;
  r.to_stderr = code != 0;
  return r;
}

StartRequest usageError(const QString& what) {
  return printAndExit(QStringLiteral("kuvacalc: %1\n请用 kuvacalc --help 查看用法。\n").arg(what),
                      2);
}

}  // namespace

QStringList argumentsOf(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  return args;
}

StartRequest parseStartArguments(const QStringList& args) {
  QCommandLineParser p;
  p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
  const QCommandLineOption shot(QStringLiteral("screenshot"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption page(QStringLiteral("page"), QString(), QStringLiteral("N"));
  p.addOptions({help, version, shot, page});
  if (!p.parse(args)) {
    const QStringList unknown = p.unknownOptionNames();
    if (!unknown.isEmpty())
      return usageError(
          QStringLiteral("未知选项 %1%2")
              .arg(unknown.front().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                   unknown.front()));
    // The parser's own texts are English; the one it can give here is a missing value.
    for (const QString& name : {QStringLiteral("--screenshot"), QStringLiteral("--page")})
      if (p.errorText().contains(name))
        return usageError(QStringLiteral("%1 需要一个值").arg(name));
    return usageError(QStringLiteral("参数有误"));
  }
  if (p.isSet(help)) return printAndExit(kUsage, 0);
  if (p.isSet(version)) return printAndExit(QStringLiteral("kuvacalc %1\n").arg(kVersionText), 0);
  if (!p.positionalArguments().isEmpty())
    return usageError(QStringLiteral("多余的参数 %1").arg(p.positionalArguments().front()));

  StartRequest r;
  r.options.screenshot = p.value(shot);
  if (p.isSet(page)) {
    bool ok = false;
    r.options.page = p.value(page).toInt(&ok);
    if (!ok || r.options.page < 1 || r.options.page > kPageCount)
      return usageError(QStringLiteral("--page 需要 1 至 %1 的页号，而不是 %2")
                            .arg(kPageCount)
                            .arg(p.value(page)));
  }
  return r;
}

}  // namespace app
