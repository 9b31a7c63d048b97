// The 3DS date change reads and rewrites the movie's recording date. Until
// it is part of the program no date is found and nothing is rewritten, so
// its panel shows the empty date and hides its button.
#include "shell/file_dialogs.h"

int Read3dsMovieDate(const char *)
{
    return 0;
}

int Write3dsMovieDate(const char *)
{
    return 0;
}
