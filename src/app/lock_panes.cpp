#include "app/lock_panes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#ifdef SPECTREL_HAS_X11
#include <X11/XKBlib.h>
#endif

namespace spectrel {

namespace {

constexpr const char* PaneTexts[] = {"KANA", "CAP", "NUM", "SCRL"};
#ifdef SPECTREL_HAS_X11
// The indicator names the keyboard description uses.
constexpr const char* IndicatorNames[] = {"Kana", "Caps Lock", "Num Lock", "Scroll Lock"};
#endif

}  // namespace

LockPanes::LockPanes(QStatusBar& bar) : QObject(&bar) {
#ifdef SPECTREL_HAS_X11
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  ::Display* display = x11 != nullptr ? x11->display() : nullptr;
  if (display == nullptr) return;
  Display = display;
  for (size_t i = 0; i < Panes.size(); ++i) {
    Atoms[i] = XInternAtom(display, IndicatorNames[i], False);
    Panes[i] = new QLabel(QString::fromLatin1(PaneTexts[i]), &bar);
    Panes[i]->setObjectName(QString::fromLatin1(PaneTexts[i]));
    Panes[i]->setAlignment(Qt::AlignCenter);
    // The pane keeps its width when the text is hidden.
    Panes[i]->setMinimumWidth(Panes[i]->sizeHint().width() + 8);
    bar.addPermanentWidget(Panes[i]);
  }
  Poll = new QTimer(this);
  Poll->setInterval(250);
  connect(Poll, &QTimer::timeout, this, &LockPanes::Refresh);
  Poll->start();
  Refresh();
#else
  (void)bar;
  (void)PaneTexts;
#endif
}

LockPanes::~LockPanes() = default;

void LockPanes::Refresh() {
#ifdef SPECTREL_HAS_X11
  auto* display = static_cast<::Display*>(Display);
  for (size_t i = 0; i < Panes.size(); ++i) {
    Bool on = False;
    const bool known = XkbGetNamedIndicator(display, Atoms[i], nullptr, &on, nullptr, nullptr) == True;
    // An indicator that is off shows an empty pane, as the lock keys' panes always have.
    Panes[i]->setText(known && on ? QString::fromLatin1(PaneTexts[i]) : QString());
  }
#endif
}

}  // namespace spectrel
