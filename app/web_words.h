// What the web page asks of the game itself (app/web_words.cpp), as the table the browser
// backend calls: the board in words, the news since the last question, the level that follows a
// solve, whether bytes are a level the game can play, and how long a still picture must stand
// before the game may rest.
#pragma once

#include "platform/web/web_backend.h"

platform::web::GameQuestions WebGameQuestions();
