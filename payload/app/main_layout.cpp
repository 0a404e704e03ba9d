#include "payload/app/main_layout.h"

#include <algorithm>

namespace qingwu {
namespace {
constexpr int kCardGap = 15;      // between the header, the cards and the body edge
constexpr int kCardPadding = 16;  // inside a card
constexpr int kLeftCardWidth = 280;
constexpr int kTitleHeight = 24;
constexpr int kSmallButtonWidth = 96;
constexpr int kSmallButtonHeight = 30;
}  // namespace

MainLayout ComputeLayout(int windowWidth, int windowHeight) {
  const int w = std::max(windowWidth, kMinWindowWidth);
  const int h = std::max(windowHeight, kMinWindowHeight);
  MainLayout l;
  l.body = {kBodyMargin, kBodyMargin, w - 2 * kBodyMargin, h - 2 * kBodyMargin};
  l.header = {l.body.x, l.body.y, l.body.width, kHeaderHeight};

  l.logo = {kLogoX, kLogoY, kLogoSize, kLogoSize};
  l.productName = {l.logo.Right() + 12, 20, 320, 36};
  l.version = {l.productName.x + 2, 56, 320, 20};
  l.settingsButton = {l.body.Right() - kCardGap - kSmallButtonWidth, 52, kSmallButtonWidth, kSmallButtonHeight};

  const int cardTop = l.header.Bottom() + kCardGap;
  const int cardBottom = l.body.Bottom() - kCardGap;
  l.leftCard = {l.body.x + kCardGap, cardTop, kLeftCardWidth, cardBottom - cardTop};
  const int rightX = l.leftCard.Right() + kCardGap;
  l.rightCard = {rightX, cardTop, l.body.Right() - kCardGap - rightX, cardBottom - cardTop};

  // Left card, top to bottom: the check, then what the window knows of the
  // installation; the offline note at the bottom.
  const int lx = l.leftCard.x + kCardPadding;
  const int lw = l.leftCard.width - 2 * kCardPadding;
  int y = l.leftCard.y + 14;
  l.checkTitle = {lx, y, lw, kTitleHeight};
  y += kTitleHeight + 6;
  l.checkText = {lx, y, lw, 56};
  y += 56 + 6;
  l.checkButton = {lx, y, 132, 34};
  y += 34 + 16;
  l.checkProgress = {lx, y, lw, 10};
  y += 10 + 8;
  l.checkStatus = {lx, y, lw, 36};
  y += 36 + 12;
  l.infoTitle = {lx, y, lw, kTitleHeight};
  y += kTitleHeight + 8;
  l.routesInfo = {lx, y, lw, 20};
  y += 20 + 2;
  l.folderInfo = {lx, y, lw, 20};
  y += 20 + 2;
  l.dataInfo = {lx, y, lw, 20};
  l.offlineNote = {lx, l.leftCard.Bottom() - 12 - 34, lw, 34};

  // Right card: notes above, the log below; the notes get the larger share.
  const int rx = l.rightCard.x + kCardPadding;
  const int rw = l.rightCard.width - 2 * kCardPadding;
  const int buttonX = l.rightCard.Right() - kCardPadding - kSmallButtonWidth;
  y = l.rightCard.y + 14;
  l.notesTitle = {rx, y, rw - kSmallButtonWidth - 8, kTitleHeight};
  l.saveButton = {buttonX, y - 3, kSmallButtonWidth, kSmallButtonHeight};
  y += kTitleHeight + 10;
  const int rowsBottom = l.rightCard.Bottom() - kCardPadding;
  const int logRow = kTitleHeight + 10 + 12;  // title row of the log and the gaps around it
  const int editSpace = rowsBottom - y - logRow;
  const int notesHeight = editSpace * 11 / 20;
  l.notesEdit = {rx, y, rw, notesHeight};
  l.notesHint = {rx + 8, y + 7, rw - 30, 40};
  y += notesHeight + 12;
  l.logTitle = {rx, y, rw - kSmallButtonWidth - 8, kTitleHeight};
  l.clearButton = {buttonX, y - 3, kSmallButtonWidth, kSmallButtonHeight};
  y += kTitleHeight + 10;
  l.logEdit = {rx, y, rw, rowsBottom - y};
  return l;
}

}  // namespace qingwu
