#include "app/json_answer.h"

#include "render/status_json.h"

namespace tunaro {

void WriteJsonAnswer(ResponseWriter& out, std::string_view status, std::string_view object) {
  if (!status.empty()) out.WriteLine(status);
  out.WriteLine("Content-type: application/json; charset=utf-8\r\n");
  out.WriteLine(object);
}

void WriteRefusal(ResponseWriter& out, const Refusal& refusal) {
  WriteJsonAnswer(out, refusal.status, ErrorObject(refusal.message));
}

}  // namespace tunaro
