// PLACEHOLDER until the tips part lands.
#pragma once
class lvWebTips {};
