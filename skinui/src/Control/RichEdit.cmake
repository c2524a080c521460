# Sources of this control family are added to the skinui target here.
