#pragma once
// Tickets for host messages that carry data (deferred events, rectangles).
// The message's lParam is a ticket number, never a pointer: a ticket is
// looked up for the window it was issued for and used once, so a forged,
// repeated or stale lParam is ignored.
#include <windows.h>

#include <optional>

#include "ui/element/element_types.h"

namespace ui {

struct Ticket {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  RectF rect;
};

LPARAM IssueTicket(HWND target, const Ticket& ticket);
// Takes the ticket out of the store; empty when unknown for `target`.
std::optional<Ticket> RedeemTicket(HWND target, LPARAM number);
// Drops every ticket issued for `target` (its host went away).
void DropTickets(HWND target);
size_t TicketCountForTest();

}  // namespace ui
