// The notices of failed saves and unreadable values, said once per topic.
#include "app/notices.h"

#include <cstdio>

namespace {

std::string Texts[int(NoticeTopic::Count)];
std::uint32_t Ages[int(NoticeTopic::Count)];  // when each was said, to find the newest
std::uint32_t Said;

}  // namespace

void Notify(NoticeTopic topic, const std::string& text) {
  std::string& current = Texts[int(topic)];
  if (current == text) return;
  current = text;
  Ages[int(topic)] = ++Said;
  std::fprintf(stderr, "yelko: %s\n", text.c_str());
}

void ClearNotice(NoticeTopic topic) {
  Texts[int(topic)].clear();
}

std::string CurrentNotice() {
  int newest = -1;
  for (int t = 0; t < int(NoticeTopic::Count); ++t) {
    if (!Texts[t].empty() && (newest < 0 || Ages[t] > Ages[newest])) newest = t;
  }
  return newest < 0 ? std::string() : Texts[newest];
}

void ResetNoticeState() {
  for (std::string& text : Texts) text.clear();
  Said = 0;
}
