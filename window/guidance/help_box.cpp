#include "guidance/help_box.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace quillbary {

QString HelpText() {
  return QStringLiteral(
      "按键\n"
      "Enter（在还款金额、月利率或日期中）：开始计算\n"
      "Tab、Shift+Tab：换一栏；F4 或 Alt+↓：打开日历\n"
      "F1：计算过程（计算之后）；Ctrl+Shift+C：复制计算结果\n"
      "Ctrl+P：打印计息单；Ctrl+S：导出 PDF\n"
      "右键或菜单键：以上各项；Ctrl+Q：退出\n"
      "\n"
      "输入\n"
      "还款金额只填数字，可用千位逗号，可带“元”：\n"
      "如 10000、10,000.00、1000元。\n"
      "月利率填月利率的千分数，如 5.31，不带 % 或 ‰。\n"
      "\n"
      "算法\n"
      "每月按 30 天计，逾期利率为月利率的 1.5 倍，\n"
      "合计加的是四舍五入之前的两项利息。");
}

void ShowHelp(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("帮助"), HelpText(), QMessageBox::Ok,
                  parent);
  box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace quillbary
