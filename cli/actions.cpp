#include "cli/actions.h"

#include "cli/error.h"
#include "layout/load.h"

namespace cli {

Created Create(const layout::Model& model, const layout::Values& values,
               const CE2promData& holder)
{
    if (const std::optional<layout::Refusal> refusal = layout::RefuseCreate(model, values))
        throw Error(refusal->message + " (key \"" +
                    std::string(model.fields[refusal->field].key) + "\"; nothing written)");
    Created created{holder, {}};
    created.corrections = layout::Create(model, values, created.image).corrections;
    return created;
}

namespace {

// A fresh form of `model` once it shows a decode; the decode's notes become warnings.
layout::Values FormShowing(const layout::Model& model, const layout::DecodeResult& decoded,
                           std::vector<std::string>& warnings)
{
    layout::Values values = layout::DefaultValues(model);
    values.overlay(decoded.values);
    for (const layout::DecodeNote& note : decoded.notes)
        warnings.push_back(note.message);
    return values;
}

// Why the editor refuses a file of `size` bytes, in the command line's words.
Error SizeRefused(const layout::Model& model, std::size_t size)
{
    return Error("the file holds " + std::to_string(size) +
                 (size == 1 ? " byte; a " : " bytes; a ") + std::string(model.name) +
                 " image file holds " + (model.exactLoadSize ? "exactly " : "at least ") +
                 std::to_string(model.loadSize));
}

layout::LoadFile WholeFile(std::span<const std::uint8_t> bytes) { return {bytes.size(), bytes}; }

// The editor's question answered as the options say, and the answer noted as a warning.
void Answer(const layout::LoadStep& step, const LoadOptions& options,
            layout::LoadAnswers& answers, Loaded& loaded)
{
    if (step.question == layout::LoadQuestion::ForeignImage) {
        if (options.strict)
            throw Error(step.questionText +
                        " [Cancel: --strict refuses an image of another model]");
        answers.foreignImage = true;
        loaded.warnings.push_back(step.questionText + " [answered OK]");
        return;
    }
    loaded.templateAsked = true;
    answers.displayTemplate = !options.keepModel;
    loaded.warnings.push_back(step.questionText +
                              (options.keepModel ? " [answered No]" : " [answered Yes]"));
}

} // namespace

layout::Values Decoded(const layout::Model& model, const CE2promData& image,
                       std::vector<std::string>& warnings)
{
    return FormShowing(model, model.decode(model, image), warnings);
}

CE2promData LoadedHolder(const layout::Model& model, std::span<const std::uint8_t> bytes)
{
    const std::optional<CE2promData> holder =
        layout::LoadedImage(model, WholeFile(bytes), CE2promData());
    if (!holder)
        throw SizeRefused(model, bytes.size());
    return *holder;
}

Loaded Load(const layout::Model& model, std::span<const std::uint8_t> bytes,
            const LoadOptions& options)
{
    Loaded loaded;
    layout::LoadAnswers answers{.followImage = options.followDisplay};
    for (;;) {
        const layout::LoadStep step =
            layout::Load(model, WholeFile(bytes), CE2promData(), answers);
        switch (step.outcome) {
        case layout::LoadOutcome::Refused:
            throw SizeRefused(model, bytes.size());
        case layout::LoadOutcome::Cancelled:
            throw Error("the load was cancelled");
        case layout::LoadOutcome::Asks:
            Answer(step, options, answers, loaded);
            break;
        case layout::LoadOutcome::Taken:
            loaded.image = step.image;
            loaded.model = step.model;
            loaded.values = FormShowing(*step.model, step.decoded, loaded.warnings);
            return loaded;
        }
    }
}

} // namespace cli
