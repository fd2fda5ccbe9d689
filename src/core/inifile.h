#pragma once
// Ini files and the layered settings store.
