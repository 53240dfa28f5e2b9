#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

TEST(Catalogue, Builds) {}
