#include "document/document.h"

#include <stdexcept>

namespace pixpad {

Document::Document()
{
    setPictureBackColor(kPictureBackColor);
}

void Document::setPictureBackColor(Colour c)
{
    Picture1.setBackColor(c);
    Picture2.setBackColor(c);
}

void Document::takeUndoCopy() { Picture2.setPicture(Picture1); }

void Document::undo() { Picture1.setPicture(Picture2); }

void Document::layOut()
{
    if (relayout)
        relayout();
    else
        takeUndoCopy();
}

void Document::setOpenedPicture(Surface&& picture)
{
    if (picture.width() > kInt16Max || picture.height() > kInt16Max)
        throw std::invalid_argument("picture larger than 32767 pixels");
    const Colour back = Picture1.backColor();
    Picture1 = std::move(picture);
    Picture1.setBackColor(back);
    ImageWidth = static_cast<int16_t>(Picture1.width());
    ImageHeight = static_cast<int16_t>(Picture1.height());
    layOut();
}

} // namespace pixpad
