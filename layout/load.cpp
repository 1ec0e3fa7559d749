#include "layout/load.h"

#include <utility>

namespace layout {

namespace {

LoadStep asking(LoadStep step, LoadQuestion question, std::string text)
{
    step.outcome = LoadOutcome::Asks;
    step.question = question;
    step.questionText = std::move(text);
    return step;
}

} // namespace

bool LoadTakes(const Model& model, std::size_t size)
{
    const auto wanted = static_cast<std::size_t>(model.loadSize);
    return model.exactLoadSize ? size == wanted : size >= wanted;
}

std::optional<CE2promData> LoadedImage(const Model& model, const LoadFile& file,
                                       const CE2promData& holder)
{
    const auto wanted = static_cast<std::size_t>(model.loadSize);
    if (!LoadTakes(model, file.size) || file.head.size() < wanted)
        return std::nullopt;
    CE2promData image = holder;
    image.CopyIn(file.head.data(), model.loadSize);
    return image;
}

LoadStep Load(const Model& model, const LoadFile& file, const CE2promData& holder,
              const LoadAnswers& answers)
{
    LoadStep step;
    const std::optional<CE2promData> image = LoadedImage(model, file, holder);
    if (!image)
        return step;
    if (model.foreignImageQuestion)
        if (std::optional<std::string> question = model.foreignImageQuestion(model, *image)) {
            if (!answers.foreignImage)
                return asking(std::move(step), LoadQuestion::ForeignImage, std::move(*question));
            if (!*answers.foreignImage) {
                step.outcome = LoadOutcome::Cancelled;
                return step;
            }
        }

    step.image = *image;
    step.model = &model;
    if (answers.followImage && model.chooseDisplayModel) {
        const DisplayChoice choice = model.chooseDisplayModel(model, step.image);
        if (choice.model) {
            step.model = choice.model;
            step.modelChosen = true;
        } else if (!choice.question.empty()) {
            if (!answers.displayTemplate)
                return asking(std::move(step), LoadQuestion::DisplayTemplate, choice.question);
            if (*answers.displayTemplate && choice.ifYes) {
                step.model = choice.ifYes;
                step.modelChosen = true;
            }
        }
    }
    step.decoded = step.model->decode(*step.model, step.image);
    step.outcome = LoadOutcome::Taken;
    return step;
}

} // namespace layout
