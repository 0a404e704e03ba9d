#include "ui/host/tickets.h"

#include <unordered_map>

namespace ui {

namespace {
struct Issued {
  HWND target;
  Ticket ticket;
};
// All on the UI thread; numbers are never reused within a run (they wrap
// only after 2^32 tickets on a 32-bit build).
std::unordered_map<LPARAM, Issued>& Store() {
  static auto* store = new std::unordered_map<LPARAM, Issued>();
  return *store;
}
LPARAM g_next = 0;
}  // namespace

LPARAM IssueTicket(HWND target, const Ticket& ticket) {
  LPARAM number = ++g_next;
  if (number == 0) number = ++g_next;
  Store()[number] = Issued{target, ticket};
  return number;
}

std::optional<Ticket> RedeemTicket(HWND target, LPARAM number) {
  auto& store = Store();
  auto it = store.find(number);
  if (it == store.end() || it->second.target != target) return std::nullopt;
  Ticket t = it->second.ticket;
  store.erase(it);
  return t;
}

void DropTickets(HWND target) {
  auto& store = Store();
  for (auto it = store.begin(); it != store.end();) {
    if (it->second.target == target)
      it = store.erase(it);
    else
      ++it;
  }
}

size_t TicketCountForTest() { return Store().size(); }

}  // namespace ui
