#include "secret_service/prompt_object.h"

#include "secret_service/object_paths.h"

bool PromptObject::Owns(const BusCall& call, uint64_t number) {
  if (context_.objects.OwnsPrompt(call.sender, number)) return true;
  context_.bus.Fail(call, kAccessDeniedError, "Not your prompt");
  return false;
}

void PromptObject::Prompt(const BusCall& call, uint64_t number) {
  if (!Owns(call, number)) return;
  context_.bus.Reply(call, {});
  context_.objects.StartPrompt(number);
  if (context_.IsUnlocked()) {
    CompleteStarted(true);
  } else {
    context_.asker.AskLogIn();
  }
}

void PromptObject::Dismiss(const BusCall& call, uint64_t number) {
  if (!Owns(call, number)) return;
  context_.bus.Reply(call, {});
  context_.objects.RemovePrompt(number);
  Complete(number, true, {});
}

void PromptObject::CompleteStarted(bool unlocked) {
  for (ClientObjects::StartedPrompt& prompt : context_.objects.TakeStartedPrompts()) {
    Complete(prompt.number, !unlocked, unlocked ? context_.Unlocked(prompt.owner, prompt.objects) : ObjectPaths());
  }
}

void PromptObject::Complete(uint64_t number, bool dismissed, ObjectPaths result) {
  context_.bus.Emit(PromptPath(number), kPromptInterface, "Completed",
                    {BusValue{dismissed}, Variant(BusValue{std::move(result)})});
}
