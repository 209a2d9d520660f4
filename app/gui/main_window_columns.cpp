#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include "app/gui/entry_list_model.h"
#include "app/gui/entry_list_view.h"
#include "app/gui/main_window.h"
#include "app/quillbox.h"
#include "settings/setting_catalogue.h"

// The header's context menu adds or removes the columns beyond the designed
// three; the choice is written at once, so a crash or a kill keeps it too.
namespace {

struct ExtraColumn {
  int column;
  int bit;  // in "Extra_Columns"
  const char* title;
};

constexpr ExtraColumn kExtraColumns[] = {{3, 1, "Web Address"}, {4, 2, "Tags"}, {5, 4, "Modified"}};

}  // namespace

void MainWindow::CreateColumnMenu() {
  columnMenu_ = new QMenu(this);
  int chosen = 0;
  app_.ReadSetting(kExtraColumnsSetting, &chosen);
  QHeaderView* header = list_->horizontalHeader();
  for (const ExtraColumn& extra : kExtraColumns) {
    QAction* action = columnMenu_->addAction(QString::fromLatin1(extra.title));
    action->setCheckable(true);
    action->setChecked((chosen & extra.bit) != 0);
    header->setSectionHidden(extra.column, !action->isChecked());
    connect(action, &QAction::toggled, this, [this, extra](bool shown) {
      list_->horizontalHeader()->setSectionHidden(extra.column, !shown);
      int now = 0;
      app_.ReadSetting(kExtraColumnsSetting, &now);
      app_.SetSettingInt(kExtraColumnsSetting.name, shown ? now | extra.bit : now & ~extra.bit);
    });
  }
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header, &QHeaderView::customContextMenuRequested, this,
          [this, header](const QPoint& at) { columnMenu_->popup(header->mapToGlobal(at)); });
}
