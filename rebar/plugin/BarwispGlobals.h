// The rebar plug-in's static calculator, built when the library is loaded.
#pragma once

class RebarAreaCalculator;

const RebarAreaCalculator& rebarCalculator();
