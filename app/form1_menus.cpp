#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/Form1.h"
#include "app/menutable.h"

namespace pixpad {

namespace {

// Save stays off during a pass as well: it would read rows that other
// threads are still writing. BackColor only paints the margins, About and
// Exit don't touch the picture, so they stay available.
constexpr MenuItemDef kMenu[] = {
    {"sf", "File", 0, true, true, nullptr},
    {"oph", "Open", 1, true, false, &Form1::oph_Click},
    {"Ssna", "Save", 1, true, false, &Form1::Ssna_Click},
    {"exity", "Exit", 1, true, true, &Form1::exity_Click},
    {"sd", "Edit", 0, true, true, nullptr},
    {"undoe", "Undo", 1, true, false, &Form1::undoe_Click},
    {"bkcolors", "BackColor", 1, true, true, &Form1::bkcolors_Click},
    {"erdf", "Resize", 1, true, false, &Form1::erdf_Click},
    {"setas", "Set As WallPaper", 1, false, false, &Form1::setas_Click},
    {"op", "Operation", 0, true, true, nullptr},
    {"inve", "Invert", 1, true, false, &Form1::inve_Click},
    {"dsf", "Flip horizont", 1, true, false, &Form1::dsf_Click},
    {"sdfd", "Flip Vertical", 1, true, false, &Form1::sdfd_Click},
    {"redd", "Only", 1, true, true, nullptr},
    {"rer", "Red", 2, true, false, &Form1::rer_Click},
    {"gree", "Green", 2, true, false, &Form1::gree_Click},
    {"gh", "Blue", 2, true, false, &Form1::gh_Click},
    {"gray", "GrayScale", 2, true, false, &Form1::gray_Click},
    {"mas", "Mask", 1, true, false, &Form1::mas_Click},
    {"esf", "Process", 0, true, true, nullptr},
    {"embos", "Embose", 1, true, false, &Form1::embos_Click},
    {"diffus", "Diffuse", 1, true, false, &Form1::diffus_Click},
    {"sharp", "Sharpen", 1, true, false, &Form1::sharp_Click},
    {"smoth", "Smooth", 1, true, false, &Form1::smoth_Click},
    {"sola", "Solarize", 1, true, false, &Form1::sola_Click},
    {"rot", "Rotate", 1, false, false, &Form1::rot_Click},
    {"edged", "Edge", 1, true, false, &Form1::edged_Click},
    {"histo", "Histogram", 1, false, false, nullptr},
    {"custom", "Custom Filter", 1, true, false, &Form1::custom_Click},
    {"mnuabout", "About", 0, true, true, &Form1::mnuabout_Click},
};

bool opensSubmenu(std::size_t i)
{
    return i + 1 < std::size(kMenu) && kMenu[i + 1].depth > kMenu[i].depth;
}

} // namespace

std::span<const MenuItemDef> menuTable() { return kMenu; }

void Form1::createMenus(QMenuBar* bar)
{
    // menus[d] is the menu that entries of depth d + 1 go into.
    std::vector<QMenu*> menus;
    for (std::size_t i = 0; i < std::size(kMenu); ++i) {
        const MenuItemDef& item = kMenu[i];
        menus.resize(item.depth);
        const QString caption = QString::fromLatin1(item.caption);
        QAction* act = nullptr;
        if (opensSubmenu(i)) {
            QMenu* menu = item.depth == 0 ? bar->addMenu(caption) : menus.back()->addMenu(caption);
            menu->setObjectName(QString::fromLatin1(item.name));
            act = menu->menuAction();
            menus.push_back(menu);
        } else {
            act = new QAction(caption, this);
            if (item.depth == 0)
                bar->addAction(act);
            else
                menus.back()->addAction(act);
            if (item.handler)
                connect(act, &QAction::triggered, this, item.handler);
        }
        act->setObjectName(QString::fromLatin1(item.name));
        actions_.emplace_back(&item, act);
    }
    updateActions();
}

QAction* Form1::action(const char* controlName) const
{
    for (const auto& [item, act] : actions_)
        if (qstrcmp(item->name, controlName) == 0)
            return act;
    return nullptr;
}

void Form1::updateActions()
{
    for (const auto& [item, act] : actions_)
        act->setEnabled(item->enabled && (item->duringPass || !passRunning_));
}

} // namespace pixpad
